#include "app/driver_list.h"

#include <string>
#include <vector>

#include "app/control_ids.h"

namespace kestrix::app {

namespace {

struct DriverListRow {
    const char* label;
    const char* defaultDriver;  // nullptr: the driver file keeps its value
    std::vector<std::string> entries;
    int selectedIndex;
};

DriverListRow RowFor(core::OsKind os, bool selfDriverSel) {
    const DriverListRow portDrivers{
        "Driver Select", "QXDKPDRV.PDR", {"ZN_URDR.PDR", "QXDKPDRV.PDR", "QX20DISK.PDR"}, 1};
    const DriverListRow inquiryName{"Inq.ProductName", nullptr, {}, 0};
    switch (os) {
        case core::OsKind::Win98:
            return portDrivers;
        case core::OsKind::WinMe:
            return selfDriverSel ? portDrivers : inquiryName;
        case core::OsKind::Win2K:
            return selfDriverSel ? DriverListRow{"Driver Select", "HVBRDG.SYS", {"HVBRDG.SYS"}, 0}
                                 : inquiryName;
        case core::OsKind::WinXP:
        case core::OsKind::Unknown:
            break;
    }
    return inquiryName;
}

}  // namespace

void SetupDriverList(System& system, int comboId) {
    const DriverListRow row = RowFor(system.app.osKind, system.app.selfDriverSel != 0);
    platform::Window& window = system.host.window;
    window.SetItemText(platform::MainDialogId, DriverSelectLabelId, row.label);
    if (row.defaultDriver) core::SetDriverFileName(system.app, row.defaultDriver);
    for (const std::string& entry : row.entries) window.ComboAddString(comboId, entry);
    window.ComboSetCurSel(comboId, row.selectedIndex);
}

}  // namespace kestrix::app
