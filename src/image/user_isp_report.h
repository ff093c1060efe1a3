#pragma once

#include <string>

#include "core/app_state.h"
#include "image/device_config.h"

// The summary of the DeviceConfig that the UserISPInfo command shows.
namespace kestrix::image {

// Shown, with the error icon, when DEVICE.TXT cannot be opened; the report still follows.
inline constexpr const char* CannotOpenDeviceTxtMessage = "Error: Cannot open [DEVICE.TXT]";
inline constexpr const char* CannotOpenDeviceTxtCaption = "Message Dialog";
// Caption of the report box (OK button only).
inline constexpr const char* UserIspReportCaption = "User ISP Update Data Dialog";

// The report text: the system in use, the firmware file names, then each identity value
// DEVICE.TXT gives or "No Active", the device settings and the ROM select code.
[[nodiscard]] std::string BuildUserIspReport(const DeviceConfig& config, core::OsKind osKind,
                                             bool selfDriverSel, const std::string& driverFileName);

}  // namespace kestrix::image
