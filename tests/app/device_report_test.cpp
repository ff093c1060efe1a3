#include "app/device_report.h"

#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "app_fixture.h"

namespace kestrix::app {
namespace {

using core::OsKind;

const std::string Rule = std::string(53, '=');

template <std::size_t N>
void SetText(std::array<std::uint8_t, N>& field, std::string_view text) {
    field.fill(0);
    for (std::size_t i = 0; i < text.size() && i < N; ++i)
        field[i] = static_cast<std::uint8_t>(text[i]);
}

// A two-slot reader with every field set, as discovery leaves it.
device::DeviceRecord SampleRecord() {
    device::DeviceRecord r;
    r.inUse = 1;
    r.slotCount = 2;
    r.driveLetters = {'E', 'F', 0, 0, 0};
    SetText(r.usbManufacturer, "Kestrix Labs");
    SetText(r.usbProduct, "Card Reader");
    SetText(r.serialNumber, "AB12");
    r.vid = {0x12, 0x34};
    r.pid = {0x56, 0x78};
    SetText(r.inquiryVendor, "KESTRIX ");
    SetText(r.inquiryProduct, "Card Reader     ");
    SetText(r.inquiryRevision, "1.00");
    r.firmwareRevision = {0x01, 0x02, 0x0A, 0x04, 0x0B, 0x17, 0x07, 0xFF};
    r.orgFirmwareRevision = {0x01, 0x05, 0x4C, 0x09};
    r.hardwareCode = {0x20, 0x35, 0x41};
    r.usb20FirmwareRevision = {0x02, 0x00, 0x01, 0x05, 0x01, 0x02, 0x07, 0x01};
    r.aspiAdapter = 1;
    r.aspiTarget = 0x0A;
    return r;
}

std::string ReportFor(const device::DeviceRecord& record, OsKind os = OsKind::WinXP,
                      int selfDriverSel = 0, const std::string& statusLog = "") {
    core::AppState app;
    app.osKind = os;
    app.selfDriverSel = selfDriverSel;
    app.statusLog = statusLog;
    device::DeviceTable table;
    table.records[0] = record;
    table.deviceCount = 1;
    return BuildDeviceReport(app, table).reportText;
}

TEST(DeviceReport, EmptyTableGivesTheWholeReportOfZeros) {
    core::AppState app;
    app.osKind = OsKind::WinXP;
    const DeviceReport report = BuildDeviceReport(app, device::DeviceTable{});
    const std::string expected = "\n" + Rule +
                                 "\n====  Device String And Inquiry Information     ====="
                                 "\n" +
                                 Rule +
                                 "\n Str Manufacture Name :"
                                 "\n Str Product Name     :"
                                 "\n Str Serial Number    :"
                                 "\n Device VID-PID       :[0000]-[0000]"
                                 "\n Inq Manufacture Name :"
                                 "\n Inq Product Name     :"
                                 "\n Inq Revision         :"
                                 "\n USB F/W Revision :0.00.00-2000-00-00[OEM-00][CEM-00]"
                                 "\n USB F/W RevisionOrg  :0.00-2000-00-00"
                                 "\n MS F/W Revision      :N/A"
                                 "\n USB H/W Revision     :0000"
                                 "\n USB20 F/W Revision   :0.00.00-2000-00-00[OEM-00][CEM-00]"
                                 "\n" +
                                 Rule +
                                 "\n"
                                 "\n Total Device Plug In : 0 "
                                 "\n The Device Select Now is : 1 with 0 slot.";
    EXPECT_EQ(report.reportText, expected);
    EXPECT_EQ(report.deviceName, "");
    EXPECT_EQ(report.hardwareCodeText, "000000");
}

TEST(DeviceReport, FullRecordLineByLine) {
    const std::string expected =
        "\nERROR: something\n  P/S: hint"
        "\n" +
        Rule +
        "\n====  Device String And Inquiry Information     ====="
        "\n" +
        Rule +
        "\n Str Manufacture Name :Kestrix Labs"
        "\n Str Product Name     :Card Reader"
        "\n Str Serial Number    :A B 1 2 "
        "\n Device VID-PID       :[1234]-[5678]"
        "\n Inq Manufacture Name :KESTRIX "
        "\n Inq Product Name     :Card Reader     "
        "\n Inq Revision         :1.00"
        "\n USB F/W Revision :1.02.0a-2004-11-23[OEM-07][CEM-ff]"
        "\n USB F/W RevisionOrg  :1.05-2004-12-09"
        "\n MS F/W Revision      :N/A"
        "\n USB H/W Revision     :2035A"
        "\n USB20 F/W Revision   :N/A"
        "\n" +
        Rule +
        "\n"
        "\n Total Device Plug In : 1 "
        "\n The Device Select Now is : 1 with 2 slot.";
    EXPECT_EQ(ReportFor(SampleRecord(), OsKind::WinXP, 0, "\nERROR: something\n  P/S: hint"),
              expected);
}

struct LineCase {
    const char* name;
    std::array<std::uint8_t, 3> hardwareCode;
    const char* msLine;
    const char* usb20Line;
    const char* hardwareLine;
};

class DeviceReportCodeLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(DeviceReportCodeLines, MemoryStickAndUsb20LinesFollowTheHardwareCode) {
    const LineCase& c = GetParam();
    device::DeviceRecord record = SampleRecord();
    record.hardwareCode = c.hardwareCode;
    // Discovery stores a Memory Stick revision only for 10 06 43; the line shows it only
    // for 10 01 xx, where it stays empty.
    SetText(record.msFirmwareRevision, c.hardwareCode[1] == 0x06 ? "verM1.2b" : "");
    const std::string report = ReportFor(record);
    EXPECT_NE(report.find(c.msLine), std::string::npos) << report;
    EXPECT_NE(report.find(c.usb20Line), std::string::npos) << report;
    EXPECT_NE(report.find(c.hardwareLine), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, DeviceReportCodeLines,
    ::testing::Values(LineCase{"MemoryStick1006",
                               {0x10, 0x06, 0x43},
                               "\n MS F/W Revision      :N/A\n",
                               "\n USB20 F/W Revision   :2.00.01-2005-01-02[OEM-07][CEM-01]\n",
                               "\n USB H/W Revision     :1006C\n"},
                      LineCase{"MemoryStick1001",
                               {0x10, 0x01, 0x47},
                               "\n MS F/W Revision      :\n",
                               "\n USB20 F/W Revision   :N/A\n",
                               "\n USB H/W Revision     :1001G\n"},
                      LineCase{"Family2301",
                               {0x23, 0x01, 0x00},
                               "\n MS F/W Revision      :N/A\n",
                               "\n USB20 F/W Revision   :N/A\n",
                               "\n USB H/W Revision     :2301\n"},
                      LineCase{"Family1026",
                               {0x10, 0x26, 0x42},
                               "\n MS F/W Revision      :N/A\n",
                               "\n USB20 F/W Revision   :2.00.01-2005-01-02[OEM-07][CEM-01]\n",
                               "\n USB H/W Revision     :1026B\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceReport, MemoryStickLineEndsAtFirstZeroByte) {
    device::DeviceRecord record = SampleRecord();
    record.hardwareCode = {0x10, 0x01, 0x47};
    record.msFirmwareRevision = {'v', 'e', 'r', 0, 'X', 'Y', 'Z', 'W'};
    EXPECT_NE(ReportFor(record).find("\n MS F/W Revision      :ver\n"), std::string::npos);
}

TEST(DeviceReport, ZeroBytesInsideTextsAddNothing) {
    device::DeviceRecord record = SampleRecord();
    record.serialNumber = {'A', 0, 'B', 0, 0, 0, 0, 0, 0, 0, 0, '9'};
    record.usbProduct = {0, 'C', 0, 'R'};
    const std::string report = ReportFor(record);
    EXPECT_NE(report.find("\n Str Serial Number    :A B 9 \n"), std::string::npos);
    EXPECT_NE(report.find("\n Str Product Name     :CR\n"), std::string::npos);
}

struct LocateCase {
    OsKind os;
    int selfDriverSel;
    bool shown;
};

class DeviceReportLocateLine : public ::testing::TestWithParam<LocateCase> {};

TEST_P(DeviceReportLocateLine, OnlyOnWinMeWithoutSelfDriver) {
    const std::string report = ReportFor(SampleRecord(), GetParam().os, GetParam().selfDriverSel);
    const std::string locate = "\n Locate [Adapter:Target] : [1:a]";
    if (GetParam().shown) {
        EXPECT_TRUE(report.ends_with(" slot." + locate)) << report;
    } else {
        EXPECT_EQ(report.find("Locate"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Systems, DeviceReportLocateLine,
                         ::testing::Values(LocateCase{OsKind::WinMe, 0, true},
                                           LocateCase{OsKind::WinMe, 1, false},
                                           LocateCase{OsKind::Win98, 0, false},
                                           LocateCase{OsKind::Win2K, 0, false},
                                           LocateCase{OsKind::WinXP, 0, false}));

TEST(DeviceReport, ShowsSelectedDeviceAndItsNameWithLetters) {
    testing::AppFixture fixture;
    System& system = *fixture.system;
    system.app.osKind = OsKind::Win98;
    system.app.statusLog = "\nkept";
    device::DeviceRecord second = SampleRecord();
    SetText(second.inquiryProduct, "Second Reader   ");
    second.hardwareCode = {0x12, 0x34, 0x56};
    system.device.table.records[0] = SampleRecord();
    system.device.table.records[1] = second;
    system.device.table.deviceCount = 2;
    system.device.table.selectedIndex = 1;

    ShowDeviceReport(system);

    const std::string report = fixture.window.GetItemText(platform::MainDialogId, ReportAreaId);
    EXPECT_TRUE(report.starts_with("\nkept\n" + Rule));
    EXPECT_NE(
        report.find("\n Total Device Plug In : 2 \n The Device Select Now is : 2 with 2 slot."),
        std::string::npos);
    EXPECT_EQ(fixture.window.GetItemText(platform::MainDialogId, DeviceNameBoxId),
              "Second Reader   [E:] [F:] ");
    EXPECT_EQ(system.app.hardwareCodeText, "123456");
    EXPECT_EQ(system.device.table.currentSlotCount, 2u);
    EXPECT_EQ(system.app.statusLog, "\nkept");
}

}  // namespace
}  // namespace kestrix::app
