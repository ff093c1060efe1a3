#pragma once

#include <cstdint>

#include "device/device_context.h"

namespace kestrix::device {

// Finds the card readers reachable through ASPI: loads the library, asks every target 0..7 of
// every host adapter for its inquiry, reads the information of each matching device, places
// it in the table by its serial number and looks up each slot's drive letter in the
// registry. The table has been reset by the caller. 0 when at least one device was found,
// else 1. `showMessages` decides whether a missing host adapter is reported in a message box.
// The library is unloaded on every exit.
[[nodiscard]] std::uint8_t DiscoverAspi(DeviceContext& context, bool showMessages);

}  // namespace kestrix::device
