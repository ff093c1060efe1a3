#pragma once

#include <filesystem>

#include "core/app_state.h"
#include "device/device_context.h"
#include "device/device_state.h"
#include "image/device_config.h"
#include "platform/host.h"

namespace kestrix::app {

// All process-wide state of the tool, once. A front end creates one per run; a test
// creates a fresh one per case. Large (the pass-through buffer lives here), so create it
// on the heap.
class System {
  public:
    System(platform::Host& host, std::filesystem::path workDir)
        : host(host), workDir(std::move(workDir)) {}
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    platform::Host& host;
    std::filesystem::path workDir;  // holds DEVICE.TXT, SERIAL.TXT and the firmware files
    core::AppState app;
    device::DeviceState device;
    image::DeviceConfig deviceConfig;

    [[nodiscard]] device::DeviceContext DeviceAccess() {
        return device::DeviceContext{host, app, deviceConfig, device};
    }
};

}  // namespace kestrix::app
