#pragma once

#include <cstdint>

#include "device/device_context.h"

// Discovery through the drive letters (Windows 2000 and XP): every present letter from C
// to Z is opened and asked for its identity; matching drives are read and placed in the
// table by serial number, so that the letters of one reader end in one record. No drive
// handle stays open. Result 0 when a device was found, else 1.
namespace kestrix::device {

// Matches the inquiry vendor and product against the two identities from DEVICE.TXT and
// reads the information answer with the 0x06-family command.
[[nodiscard]] std::uint8_t DiscoverPassThroughDrives(DeviceContext& context);

// Matches vendor, product and revision against the self driver's fixed identity and reads
// the first 512 bytes of the answer with the block reads (the alternative one first).
[[nodiscard]] std::uint8_t DiscoverSelfDriverDrives(DeviceContext& context);

}  // namespace kestrix::device
