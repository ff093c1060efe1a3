// Placeholder until this library has its first unit.
namespace kestrix {
void imageAnchor() {}
}  // namespace kestrix
