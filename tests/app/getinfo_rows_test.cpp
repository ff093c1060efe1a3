// GetInfo end to end on the simulated host, on every row of the transport selection table,
// with two readers attached, the first showing two drive letters.
#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "sim_fixture.h"

namespace kestrix::app {
namespace {

const char* const TwoReaders = R"({
  "os": "%OS%",
  "drives": ["C", "D"],
  "drivers": ["HVBRDG", "QXDKPDRV", "ZN_URDR", "QX20DISK"],
  "aspi": {"library": "present", "adapters": 2, "status": 1},
  "devices": [
    {"serial": "KX0000000001", "slots": ["E", "F"], "aspi": {"adapter": 0, "targets": [0, 1]},
     "hardwareCode": "203541", "manufacturer": "First Maker", "product": "First Reader"},
    {"serial": "KX0000000002", "slots": ["G"], "aspi": {"adapter": 1, "targets": [0]},
     "hardwareCode": "100643", "manufacturer": "Second Maker", "product": "Second Reader"}
  ]
})";

// The default readers answer INQUIRY with a blank vendor and the product "USB Reader".
const char* const DeviceTxt = "FA_Inquiry_Product = \"USB Reader\";\n";

std::string WorldFor(const std::string& os) {
    std::string world = TwoReaders;
    world.replace(world.find("%OS%"), 4, os);
    return world;
}

struct RowCase {
    const char* name;
    const char* os;
    bool selfDriver;
    const char* driver;  // chosen in Driver Select, or nullptr
    bool locateLine;
    bool deviceSelRefused;  // Windows XP refuses a Device Sel choice
};

class GetInfoRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(GetInfoRows, FindsBothReadersAndReportsTheSelectedOne) {
    const RowCase& c = GetParam();
    testing::SimFixture fixture(WorldFor(c.os), DeviceTxt);
    UpgradeDialog& dialog = *fixture.dialog;
    ASSERT_TRUE(dialog.OnInitDialog());
    if (c.selfDriver) dialog.OnSelfDriverSel();
    if (c.driver) {
        ASSERT_TRUE(fixture.window.ChooseComboEntry(DriverSelectListId, c.driver));
        dialog.OnDriverSelectChange();
    } else {
        dialog.OnGetInfo();
    }

    EXPECT_EQ(fixture.system->app.lastDriverStatus, 0);
    EXPECT_EQ(fixture.system->device.table.deviceCount, 2u);
    EXPECT_EQ(fixture.window.ComboState(DeviceSelListId).entries,
              (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(fixture.window.ComboState(DeviceSelListId).selected, 0);

    const std::string report = fixture.MainText(ReportAreaId);
    EXPECT_TRUE(report.starts_with("\n" + std::string(53, '=') +
                                   "\n====  Device String And Inquiry Information     ====="))
        << report;
    EXPECT_NE(report.find("\n Str Manufacture Name :First Maker\n"), std::string::npos) << report;
    EXPECT_NE(report.find("\n Str Serial Number    :K X 0 0 0 0 0 0 0 0 0 1 \n"),
              std::string::npos);
    EXPECT_NE(
        report.find("\n Total Device Plug In : 2 \n The Device Select Now is : 1 with 2 slot."),
        std::string::npos)
        << report;
    EXPECT_EQ(report.find("Locate") != std::string::npos, c.locateLine) << report;
    if (c.locateLine) {
        EXPECT_TRUE(report.ends_with("\n Locate [Adapter:Target] : [0:0]")) << report;
    }
    EXPECT_EQ(fixture.MainText(DeviceNameBoxId), "USB Reader      [E:] [F:] ");

    ASSERT_TRUE(fixture.window.ChooseComboEntry(DeviceSelListId, "2"));
    dialog.OnDeviceSelChange();
    if (c.deviceSelRefused) {
        EXPECT_EQ(fixture.system->device.table.selectedIndex, 0u);
        return;
    }
    EXPECT_EQ(fixture.system->device.table.selectedIndex, 1u);
    const std::string second = fixture.MainText(ReportAreaId);
    EXPECT_NE(second.find("\n Str Manufacture Name :Second Maker\n"), std::string::npos) << second;
    EXPECT_NE(second.find("\n The Device Select Now is : 2 with 1 slot."), std::string::npos);
    EXPECT_EQ(fixture.MainText(DeviceNameBoxId), "USB Reader      [G:] ");
    EXPECT_EQ(fixture.system->app.hardwareCodeText, "100643");
    if (c.locateLine) {
        EXPECT_TRUE(second.ends_with("\n Locate [Adapter:Target] : [1:0]")) << second;
    }

    dialog.OnCloseButton();
    EXPECT_EQ(fixture.simHost->OpenHandleCount(), 0u);
    EXPECT_TRUE(fixture.simHost->Rejections().empty());
}

INSTANTIATE_TEST_SUITE_P(
    SelectionTable, GetInfoRows,
    ::testing::Values(RowCase{"Win98PortDriverA", "win98", false, nullptr, false, false},
                      RowCase{"Win98PortDriverB", "win98", false, "QX20DISK.PDR", false, false},
                      RowCase{"WinMeSelfDriverPortDriverA", "winme", true, nullptr, false, false},
                      RowCase{"WinMeAspi", "winme", false, nullptr, true, false},
                      RowCase{"Win2KSelfDriver", "win2k", true, nullptr, false, false},
                      RowCase{"Win2KPassThrough", "win2k", false, nullptr, false, false},
                      RowCase{"WinXPPassThrough", "winxp", false, nullptr, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetInfoFailures, DriverThatCannotBeOpenedOnWin2K) {
    testing::SimFixture fixture(R"({"os":"win2k","devices":[{}]})", DeviceTxt);
    ASSERT_TRUE(fixture.dialog->OnInitDialog());
    fixture.dialog->OnSelfDriverSel();
    fixture.window.ClearEvents();
    fixture.dialog->OnGetInfo();

    EXPECT_EQ(fixture.console.lines, std::vector<std::string>{"Loading HvBrdg.Sys is Failed!\n"});
    EXPECT_TRUE(fixture.MainText(ReportAreaId)
                    .starts_with("\nError: Can't Load the Driver HVBRDG.SYS"
                                 "\n  P/S: Device Not Ready Or Error Driver select.\n"));
}

TEST(GetInfoFailures, AspiMissingOnWinMe) {
    testing::SimFixture fixture(R"({"os":"winme","devices":[{}]})", DeviceTxt);
    ASSERT_TRUE(fixture.dialog->OnInitDialog());
    EXPECT_EQ(fixture.console.lines,
              std::vector<std::string>{"Load WNASPI32.DLL or Get Function Address Fail \n"});
    bool boxShown = false;
    for (const auto& event : fixture.window.Events()) {
        boxShown |=
            event.text ==
            " No ASPI for WIN32 support detected.\n This program need ASPI in WinMe system.";
    }
    EXPECT_TRUE(boxShown);
    EXPECT_TRUE(fixture.MainText(ReportAreaId)
                    .starts_with("\nERROR: Device Not Ready when GET DEVICE VERSION!! "));
}

}  // namespace
}  // namespace kestrix::app
