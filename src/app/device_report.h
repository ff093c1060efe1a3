#pragma once

#include <string>

#include "app/system.h"

namespace kestrix::app {

struct DeviceReport {
    std::string hardwareCodeText;
    std::string reportText;  // the report area
    std::string deviceName;  // the device name box
};

// Builds the report of the selected device: the report text so far, the identity block and
// the summary, and the device name with its drive letters.
[[nodiscard]] DeviceReport BuildDeviceReport(const core::AppState& app,
                                             const device::DeviceTable& table);

// Shows the report in the main dialog and updates the hardware code text and the current
// slot count from the selected record.
void ShowDeviceReport(System& system);

}  // namespace kestrix::app
