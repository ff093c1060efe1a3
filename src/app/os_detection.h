#pragma once

#include <cstdint>

#include "core/app_state.h"

namespace kestrix::app {

// The system kind from a GetVersion value: low byte major, next byte minor, top bit set on
// the Windows 9x family. Windows 95 counts as Win98; everything not listed is Unknown.
[[nodiscard]] core::OsKind DetectOsKind(std::uint32_t version);

}  // namespace kestrix::app
