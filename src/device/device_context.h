#pragma once

#include "core/app_state.h"
#include "device/device_state.h"
#include "image/device_config.h"
#include "platform/host.h"

namespace kestrix::device {

// What every device operation works on: the host, the application state it reads and
// writes (system kind, flags, driver file, hardware code text, report text), the
// configuration read from DEVICE.TXT and the device subsystem's own state.
struct DeviceContext {
    platform::Host& host;
    core::AppState& app;
    const image::DeviceConfig& config;
    DeviceState& state;
};

}  // namespace kestrix::device
