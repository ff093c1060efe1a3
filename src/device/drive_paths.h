#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Device paths the tool opens: a drive letter, or a driver's device named after its file.
namespace kestrix::device {

inline constexpr std::string_view DevicePathPrefix = "\\\\.\\";

// "\\.\C:" with the letter replaced.
[[nodiscard]] std::string DrivePath(std::uint8_t letter);

// The prefix followed by the part of `driverFileName` before its first '.', when that '.'
// stands within the first 15 characters and is not the first one; the bare prefix
// otherwise (which opens nothing).
[[nodiscard]] std::string DriverDevicePath(std::string_view driverFileName);

}  // namespace kestrix::device
