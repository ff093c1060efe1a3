#include "app/driver_list.h"

#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "app_fixture.h"

namespace kestrix::app {
namespace {

using core::OsKind;

struct DriverListCase {
    const char* name;
    OsKind os;
    int selfDriverSel;
    const char* label;
    const char* driverFileName;             // after the call, starting from "PREVIOUS.PDR"
    std::vector<std::string> shownEntries;  // in the sorted order the list shows them
    int selected;                           // -1: no selection
};

class SetupDriverListTest : public ::testing::TestWithParam<DriverListCase> {};

TEST_P(SetupDriverListTest, FillsListLabelAndDefault) {
    const DriverListCase& c = GetParam();
    testing::AppFixture fixture;
    System& system = *fixture.system;
    system.app.osKind = c.os;
    system.app.selfDriverSel = c.selfDriverSel;
    system.app.driverFileName = "PREVIOUS.PDR";

    SetupDriverList(system, DriverSelectListId);

    EXPECT_EQ(fixture.window.GetItemText(platform::MainDialogId, DriverSelectLabelId), c.label);
    EXPECT_EQ(system.app.driverFileName, c.driverFileName);
    const auto& combo = fixture.window.ComboState(DriverSelectListId);
    EXPECT_EQ(combo.entries, c.shownEntries);
    EXPECT_EQ(combo.selected, c.selected);
}

const std::vector<std::string> PortDrivers = {"QX20DISK.PDR", "QXDKPDRV.PDR", "ZN_URDR.PDR"};

INSTANTIATE_TEST_SUITE_P(
    Rows, SetupDriverListTest,
    ::testing::Values(
        DriverListCase{"Win98", OsKind::Win98, 0, "Driver Select", "QXDKPDRV.PDR", PortDrivers, 1},
        DriverListCase{"Win98Self", OsKind::Win98, 1, "Driver Select", "QXDKPDRV.PDR", PortDrivers,
                       1},
        DriverListCase{"WinMeSelf", OsKind::WinMe, 1, "Driver Select", "QXDKPDRV.PDR", PortDrivers,
                       1},
        DriverListCase{"WinMe", OsKind::WinMe, 0, "Inq.ProductName", "PREVIOUS.PDR", {}, -1},
        DriverListCase{
            "Win2KSelf", OsKind::Win2K, 1, "Driver Select", "HVBRDG.SYS", {"HVBRDG.SYS"}, 0},
        DriverListCase{"Win2K", OsKind::Win2K, 0, "Inq.ProductName", "PREVIOUS.PDR", {}, -1},
        DriverListCase{"WinXP", OsKind::WinXP, 0, "Inq.ProductName", "PREVIOUS.PDR", {}, -1},
        DriverListCase{"WinXPSelf", OsKind::WinXP, 1, "Inq.ProductName", "PREVIOUS.PDR", {}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SetupDriverListEvents, AddsInOrderThenSelectsIndexOne) {
    testing::AppFixture fixture;
    fixture.system->app.osKind = OsKind::Win98;
    SetupDriverList(*fixture.system, DriverSelectListId);

    std::vector<std::string> ops;
    for (const auto& event : fixture.window.Events()) {
        if (event.kind == platform::WindowEvent::Kind::Combo) {
            ops.push_back(event.op + ":" +
                          (event.op == "add" ? event.text : std::to_string(event.index)));
        }
    }
    EXPECT_EQ(ops, (std::vector<std::string>{"add:ZN_URDR.PDR", "add:QXDKPDRV.PDR",
                                             "add:QX20DISK.PDR", "select:1"}));
    EXPECT_EQ(fixture.window.ComboGetSelectedText(DriverSelectListId, 19), "QXDKPDRV.PDR");
}

}  // namespace
}  // namespace kestrix::app
