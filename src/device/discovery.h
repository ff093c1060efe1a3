#pragma once

#include <cstdint>

#include "device/device_context.h"

namespace kestrix::device {

// Empties the device table (and the report text) and fills it through the active
// transport. 0 = success; 1 or 2 = the device did not answer. `showMessages` matters only
// to the ASPI routine.
[[nodiscard]] std::uint8_t DiscoverDevices(DeviceContext& context, bool showMessages);

}  // namespace kestrix::device
