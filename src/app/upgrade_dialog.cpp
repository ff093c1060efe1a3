#include "app/upgrade_dialog.h"

#include <string>

#include "app/control_ids.h"
#include "app/device_report.h"
#include "app/driver_list.h"
#include "app/os_detection.h"
#include "app/user_isp_info_command.h"
#include "device/close_handles.h"
#include "device/device_table_ops.h"
#include "device/discovery.h"
#include "device/handles.h"
#include "device/open_transport.h"

namespace kestrix::app {

namespace {
using core::OsKind;
constexpr std::size_t DriverSelectReadLimit = 19;
}  // namespace

bool UpgradeDialog::OnInitDialog() {
    system_.app.osKind = DetectOsKind(system_.host.kernel.GetVersion());
    if (system_.app.osKind == OsKind::Unknown) {
        system_.host.window.MessageBox(
            "This program must run under win9x or WinMe or Win2K or WinXP", core::ApplicationTitle,
            platform::MessageIcon::None);
        system_.host.window.EndDialog(platform::DialogResult::Cancel);
        return false;
    }
    RunUserIspInfo(system_);
    ResetApplicationState();
    SetupDriverList(system_, DriverSelectListId);
    OnGetInfo();
    return true;
}

void UpgradeDialog::ResetApplicationState() {
    core::AppState& app = system_.app;
    app.selfDriverSel = 0;
    app.usePortDriverB = 0;
    app.lastDriverStatus = 0;
    app.ispEnabled = 0;
    app.msFirmwareMode = 0;
    system_.device.table.deviceCount = 0;
    system_.device.table.currentSlotCount = 0;
    system_.device.table.selectedIndex = 0;
    app.hardwareCodeText.clear();
    app.statusLog.clear();
    app.counters = core::IspCounters{};
}

// The port-driver rows: Windows 98, and Windows ME with the self driver.
bool UpgradeDialog::UsesPortDriver() const {
    const core::AppState& app = system_.app;
    return app.osKind == OsKind::Win98 || (app.osKind == OsKind::WinMe && app.selfDriverSel);
}

void UpgradeDialog::OnGetInfo() {
    core::AppState& app = system_.app;
    device::DeviceContext context = system_.DeviceAccess();
    platform::Window& window = system_.host.window;

    device::ResetDeviceTable(context);
    app.lastDriverStatus = 0;
    app.statusLog.clear();
    std::string message;

    const bool needsDriver =
        app.osKind == OsKind::Win98 ||
        (app.selfDriverSel && (app.osKind == OsKind::WinMe || app.osKind == OsKind::Win2K));
    bool driverOpened = true;
    if (needsDriver) {
        app.usePortDriverB = app.driverFileName.compare(0, 12, "QX20DISK.PDR") == 0 ? 1 : 0;
        app.lastDriverStatus = device::OpenTransport(context);
        if (app.lastDriverStatus != 0) {
            driverOpened = false;
            message = "\nError: Can't Load the Driver " + app.driverFileName +
                      "\n  P/S: Device Not Ready Or Error Driver select.";
            window.MessageBox("Error!!! Device not ready Or Error Driver select",
                              MessageDialogCaption, platform::MessageIcon::Error);
        }
    }
    if (driverOpened) {
        app.lastDriverStatus = device::DiscoverDevices(context, false);
        if (app.lastDriverStatus == 1 || app.lastDriverStatus == 2) {
            message =
                "\nERROR: Device Not Ready when GET DEVICE VERSION!! "
                "\n  P/S: After ISP/Verify Device must plug-out first!";
            if (UsesPortDriver()) {
                device::CloseHandleIfOpen(system_.host.kernel, system_.device.portDriverHandle);
            }
        } else {
            window.ComboResetContent(DeviceSelListId);
            // A port driver may report more devices than the table holds; only the devices
            // the table can hold are offered.
            const std::uint32_t listed =
                std::min<std::uint32_t>(system_.device.table.deviceCount,
                                        static_cast<std::uint32_t>(device::DeviceTableCapacity));
            for (std::uint32_t i = 0; i < listed; ++i) {
                window.ComboAddString(DeviceSelListId, std::string(1, static_cast<char>('1' + i)));
            }
            window.ComboSetCurSel(DeviceSelListId,
                                  static_cast<int>(system_.device.table.selectedIndex));
        }
    }
    app.statusLog = message;
    ShowDeviceReport(system_);
}

void UpgradeDialog::OnIspEna() {
    system_.app.ispEnabled = system_.app.ispEnabled ? 0 : 1;
}

void UpgradeDialog::OnIspMsFw() {
    system_.app.msFirmwareMode = system_.app.msFirmwareMode ? 0 : 1;
}

void UpgradeDialog::OnSelfDriverSel() {
    system_.app.selfDriverSel = system_.app.selfDriverSel ? 0 : 1;
    system_.host.window.ComboResetContent(DriverSelectListId);
    SetupDriverList(system_, DriverSelectListId);
    system_.app.statusLog.clear();
    ShowDeviceReport(system_);
}

void UpgradeDialog::OnDriverSelectChange() {
    const core::AppState& app = system_.app;
    const bool listHasDrivers =
        app.osKind == OsKind::Win98 ||
        (app.selfDriverSel && (app.osKind == OsKind::WinMe || app.osKind == OsKind::Win2K));
    if (listHasDrivers) {
        core::SetDriverFileName(system_.app, system_.host.window.ComboGetSelectedText(
                                                 DriverSelectListId, DriverSelectReadLimit));
    }
    OnGetInfo();
}

void UpgradeDialog::OnDeviceSelChange() {
    device::DeviceTable& table = system_.device.table;
    if (system_.app.osKind == OsKind::WinXP) {
        system_.host.window.MessageBox("AP must run under win98 or WinMe with self-driver",
                                       core::ApplicationTitle, platform::MessageIcon::None);
        return;
    }
    const std::string chosen = system_.host.window.ComboGetSelectedText(DeviceSelListId, 1);
    std::uint32_t index = 0;
    if (table.deviceCount >= 2 && !chosen.empty()) {
        const int fromText = static_cast<unsigned char>(chosen[0]) - '1';
        // An entry that names no record of the table selects the first device.
        if (fromText >= 0 && fromText < static_cast<int>(device::DeviceTableCapacity)) {
            index = static_cast<std::uint32_t>(fromText);
        }
    }
    table.selectedIndex = index;
    ShowDeviceReport(system_);
}

void UpgradeDialog::OnUserIspInfo() {
    RunUserIspInfo(system_);
}

void UpgradeDialog::OnCloseButton() {
    device::DeviceContext context = system_.DeviceAccess();
    device::CloseDeviceHandles(context);
    system_.host.window.EndDialog(platform::DialogResult::Ok);
}

void UpgradeDialog::OnEnter() {
    system_.host.window.EndDialog(platform::DialogResult::Ok);
}

void UpgradeDialog::OnEscape() {
    system_.host.window.EndDialog(platform::DialogResult::Cancel);
}

}  // namespace kestrix::app
