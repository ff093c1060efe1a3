// Placeholder until this library has its first unit.
namespace kestrix {
void platform_simAnchor() {}
}  // namespace kestrix
