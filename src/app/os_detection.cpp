#include "app/os_detection.h"

namespace kestrix::app {

core::OsKind DetectOsKind(std::uint32_t version) {
    const bool family9x = (version & 0x80000000u) != 0;
    const unsigned major = version & 0xFFu;
    const unsigned minor = (version >> 8) & 0xFFu;
    if (!family9x && major == 5 && minor == 0) return core::OsKind::Win2K;
    if (!family9x && major == 5 && minor == 1) return core::OsKind::WinXP;
    if (family9x && major == 4 && (minor == 0 || minor == 10)) return core::OsKind::Win98;
    if (family9x && major == 4 && minor == 90) return core::OsKind::WinMe;
    return core::OsKind::Unknown;
}

}  // namespace kestrix::app
