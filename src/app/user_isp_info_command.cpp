#include "app/user_isp_info_command.h"

#include "app/control_ids.h"
#include "image/device_config_reader.h"
#include "image/user_isp_report.h"

namespace kestrix::app {

void RunUserIspInfo(System& system) {
    platform::Window& window = system.host.window;
    if (!image::ReadDeviceConfig(system.workDir / image::DeviceTxtFileName, system.deviceConfig)) {
        window.MessageBox(image::CannotOpenDeviceTxtMessage, MessageDialogCaption,
                          platform::MessageIcon::Error);
    }
    const core::AppState& app = system.app;
    window.MessageBox(image::BuildUserIspReport(system.deviceConfig, app.osKind,
                                                app.selfDriverSel != 0, app.driverFileName),
                      image::UserIspReportCaption, platform::MessageIcon::None);
}

}  // namespace kestrix::app
