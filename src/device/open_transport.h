#pragma once

#include <cstdint>

#include "device/device_context.h"

namespace kestrix::device {

// Opens the driver of the active transport: 0 when it could be opened, another value when
// not (and for the rows that use no driver).
[[nodiscard]] std::uint8_t OpenTransport(DeviceContext& context);

}  // namespace kestrix::device
