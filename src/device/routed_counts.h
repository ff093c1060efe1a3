#pragma once

#include <cstdint>

#include "device/device_context.h"

// Device and slot counts asked of the driver the active transport uses: port driver B or
// A on Windows 98 (by the chosen driver file), port driver A on Windows ME with the self
// driver setting, the self driver on Windows 2000 with it; 0 in every other case and when
// the driver does not answer. The slot count is that of device `selectedIndex`.
namespace kestrix::device {

[[nodiscard]] std::uint8_t RoutedDeviceCount(DeviceContext& context);
[[nodiscard]] std::uint8_t RoutedSlotCount(DeviceContext& context);

}  // namespace kestrix::device
