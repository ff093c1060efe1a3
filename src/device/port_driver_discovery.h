#pragma once

#include <cstdint>

#include "device/device_context.h"

// Discovery through the Windows 9x port drivers: the driver says how many devices and
// slots there are; device j fills record j, and each slot's drive letter comes from the
// registry. The driver must be open (OpenTransport).
namespace kestrix::device {

// Port driver A. Resets only the counts, so records it does not reach keep their contents
// (the Memory Stick flow calls it without emptying the table). Result 0, also when every
// device was skipped; 2 when a device answers neither block read nor revision request, the
// driver then closed. Otherwise the driver stays open.
[[nodiscard]] std::uint8_t DiscoverPortDriverA(DeviceContext& context);

// Port driver B. Result 0, or 1 when a device does not deliver its information. The driver
// is closed at the end either way.
[[nodiscard]] std::uint8_t DiscoverPortDriverB(DeviceContext& context);

}  // namespace kestrix::device
