#include "app/upgrade_dialog.h"

#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "app_fixture.h"

namespace kestrix::app {
namespace {

using Kind = platform::WindowEvent::Kind;
using core::OsKind;

constexpr std::uint32_t Win98Version = 0xC0000A04u;
constexpr std::uint32_t Win2KVersion = 0x08930005u;
constexpr std::uint32_t WinXPVersion = 0x0A280105u;
constexpr std::uint32_t Win2003Version = 0x0ECE0205u;

std::vector<platform::WindowEvent> MessageBoxes(const platform::WindowModel& window) {
    std::vector<platform::WindowEvent> boxes;
    for (const auto& event : window.Events()) {
        if (event.kind == Kind::MessageBox) boxes.push_back(event);
    }
    return boxes;
}

TEST(UpgradeDialogStartUp, RefusesAnUnknownSystemWithOneBoxAndNothingElse) {
    testing::AppFixture fixture(Win2003Version);
    UpgradeDialog dialog(*fixture.system);

    EXPECT_FALSE(dialog.OnInitDialog());

    const auto& events = fixture.window.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Kind::MessageBox);
    EXPECT_EQ(events[0].text, "This program must run under win9x or WinMe or Win2K or WinXP");
    EXPECT_EQ(events[0].caption, core::ApplicationTitle);
    EXPECT_EQ(events[0].icon, platform::MessageIcon::None);
    EXPECT_EQ(events[1].kind, Kind::End);
    EXPECT_EQ(fixture.window.Ended(), platform::DialogResult::Cancel);
}

TEST(UpgradeDialogStartUp, ReadsDeviceTxtFirstThenFillsListAndReports) {
    testing::AppFixture fixture(WinXPVersion);
    UpgradeDialog dialog(*fixture.system);

    ASSERT_TRUE(dialog.OnInitDialog());

    const auto& events = fixture.window.Events();
    ASSERT_GE(events.size(), 3u);
    // DEVICE.TXT is missing: its box, then the summary, before anything else.
    EXPECT_EQ(events[0].kind, Kind::MessageBox);
    EXPECT_EQ(events[0].text, "Error: Cannot open [DEVICE.TXT]");
    EXPECT_EQ(events[0].caption, MessageDialogCaption);
    EXPECT_EQ(events[0].icon, platform::MessageIcon::Error);
    EXPECT_EQ(events[1].kind, Kind::MessageBox);
    EXPECT_EQ(events[1].caption, "User ISP Update Data Dialog");
    EXPECT_EQ(events[2].kind, Kind::SetText);
    EXPECT_EQ(events[2].control, DriverSelectLabelId);
    EXPECT_EQ(events[2].text, "Inq.ProductName");
    // Nothing attached: GetInfo reports that the device did not answer.
    EXPECT_TRUE(fixture.window.GetItemText(platform::MainDialogId, ReportAreaId)
                    .starts_with("\nERROR: Device Not Ready when GET DEVICE VERSION!! "
                                 "\n  P/S: After ISP/Verify Device must plug-out first!\n"));
    EXPECT_FALSE(fixture.window.Ended());
    EXPECT_EQ(fixture.system->app.osKind, OsKind::WinXP);
}

TEST(UpgradeDialogCommands, CheckBoxesToggleTheirFlags) {
    testing::AppFixture fixture(WinXPVersion);
    UpgradeDialog dialog(*fixture.system);
    ASSERT_TRUE(dialog.OnInitDialog());
    const core::AppState& app = fixture.system->app;

    dialog.OnIspEna();
    dialog.OnIspMsFw();
    dialog.OnIspMsFw();
    EXPECT_EQ(app.ispEnabled, 1);
    EXPECT_EQ(app.msFirmwareMode, 0);
    dialog.OnIspEna();
    EXPECT_EQ(app.ispEnabled, 0);
}

TEST(UpgradeDialogCommands, SelfDriverOnWin2KRefillsListAndKeepsDriverWhenUnticked) {
    testing::AppFixture fixture(Win2KVersion);
    UpgradeDialog dialog(*fixture.system);
    ASSERT_TRUE(dialog.OnInitDialog());
    fixture.system->app.statusLog = "\nold";

    dialog.OnSelfDriverSel();
    EXPECT_EQ(fixture.window.ComboState(DriverSelectListId).entries,
              std::vector<std::string>{"HVBRDG.SYS"});
    EXPECT_EQ(fixture.system->app.driverFileName, "HVBRDG.SYS");
    EXPECT_EQ(fixture.window.GetItemText(platform::MainDialogId, DriverSelectLabelId),
              "Driver Select");
    // The report is shown again with an empty report text.
    EXPECT_TRUE(fixture.window.GetItemText(platform::MainDialogId, ReportAreaId)
                    .starts_with("\n" + std::string(53, '=')));

    dialog.OnSelfDriverSel();
    EXPECT_TRUE(fixture.window.ComboState(DriverSelectListId).entries.empty());
    EXPECT_EQ(fixture.window.GetItemText(platform::MainDialogId, DriverSelectLabelId),
              "Inq.ProductName");
    EXPECT_EQ(fixture.system->app.driverFileName, "HVBRDG.SYS");
}

TEST(UpgradeDialogCommands, Win98DriverThatCannotBeOpenedIsReported) {
    testing::AppFixture fixture(Win98Version);
    UpgradeDialog dialog(*fixture.system);
    ASSERT_TRUE(dialog.OnInitDialog());

    const auto boxes = MessageBoxes(fixture.window);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "Error!!! Device not ready Or Error Driver select");
    EXPECT_EQ(boxes.back().caption, MessageDialogCaption);
    EXPECT_EQ(boxes.back().icon, platform::MessageIcon::Error);
    EXPECT_TRUE(fixture.window.GetItemText(platform::MainDialogId, ReportAreaId)
                    .starts_with("\nError: Can't Load the Driver QXDKPDRV.PDR"
                                 "\n  P/S: Device Not Ready Or Error Driver select.\n"));
    EXPECT_NE(fixture.system->app.lastDriverStatus, 0);
    // The Device Sel list was not touched.
    for (const auto& event : fixture.window.Events()) {
        EXPECT_FALSE(event.kind == Kind::Combo && event.control == DeviceSelListId);
    }
}

TEST(UpgradeDialogCommands, DeviceSelOnWinXPIsRefused) {
    testing::AppFixture fixture(WinXPVersion);
    UpgradeDialog dialog(*fixture.system);
    ASSERT_TRUE(dialog.OnInitDialog());
    fixture.system->device.table.selectedIndex = 0;
    fixture.window.ClearEvents();

    dialog.OnDeviceSelChange();

    const auto boxes = MessageBoxes(fixture.window);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "AP must run under win98 or WinMe with self-driver");
    EXPECT_EQ(fixture.window.Events().size(), 1u);
}

struct EndCase {
    const char* name;
    void (UpgradeDialog::*handler)();
    platform::DialogResult result;
};

class UpgradeDialogEnds : public ::testing::TestWithParam<EndCase> {};

TEST_P(UpgradeDialogEnds, EndsWithItsResult) {
    testing::AppFixture fixture(WinXPVersion);
    UpgradeDialog dialog(*fixture.system);
    ASSERT_TRUE(dialog.OnInitDialog());
    (dialog.*GetParam().handler)();
    EXPECT_EQ(fixture.window.Ended(), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, UpgradeDialogEnds,
    ::testing::Values(EndCase{"Close", &UpgradeDialog::OnCloseButton, platform::DialogResult::Ok},
                      EndCase{"Enter", &UpgradeDialog::OnEnter, platform::DialogResult::Ok},
                      EndCase{"Escape", &UpgradeDialog::OnEscape, platform::DialogResult::Cancel}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrix::app
