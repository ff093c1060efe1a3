#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "device/device_context.h"

// The registry keys under which the Windows 9x/ME storage drivers publish the drive letter
// of each slot of a reader, and reading a letter from them.
namespace kestrix::device {

inline constexpr const char* DriveLetterValueName = "CurrentDriveLetterAssignment";

// Key text for slot `slot` (0..5) of the device in `record`; empty for a slot above 5.
[[nodiscard]] std::string PortDriverARegistryKey(const DeviceRecord& record, unsigned slot);
[[nodiscard]] std::string PortDriverBRegistryKey(const DeviceRecord& record, unsigned slot);
[[nodiscard]] std::string AspiRegistryKey(const DeviceRecord& record, unsigned slot);

// Opens HKEY_LOCAL_MACHINE\`key`, reads the drive-letter value into a 5-byte buffer and
// gives its first character; 0 when the key or value is missing.
[[nodiscard]] std::uint8_t ReadDriveLetter(DeviceContext& context, const std::string& key);

}  // namespace kestrix::device
