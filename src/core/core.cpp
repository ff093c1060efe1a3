// The core library is header-only apart from this translation unit, which keeps the
// static library non-empty.
namespace kestrix::core {
void CoreLibraryAnchor() {}
}  // namespace kestrix::core
