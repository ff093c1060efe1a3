#include "image/user_isp_report.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "image/device_config_reader.h"

namespace kestrix::image {
namespace {

const std::string Sep = "\n=====================================================";

TEST(UserIspReportTest, FullReportFromAFile) {
    DeviceConfig config;
    ReadDeviceConfigFromText(R"(Kestrix card reader settings
VID = "04b4";
PID = "6830";
String_Manufacture = "ACME";
String_Product = "Card Reader";
KV~@$^_Str_Serial = "000000000001";
Inquiry_Manufacture = "ACME";
Inquiry_Product = "Multi Reader";
Inquiry_Version = "1.00";
ISP_ROMCODE = "FW01.BIN";
MS_ISP_ROMCODE = "MSFW.BIN";
BmpMap_file = "BMP01.BIN";
Device_setting = "0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0a,0x0B";
ROM_setting = "0x2F";
)",
                             config);
    const std::string expected =
        "\n====================================================="
        "\n==== SYSTEM Information For ISP"
        "\n====================================================="
        "\nOS            : Windows XP"
        "\nDevice Driver : SELF.SYS"
        "\nISP USB ROMCODE: FW01.BIN"
        "\nISP ADDRESS    : FW01.adr"
        "\nISP KV7720 ROM : MSFW.BIN"
        "\nISP BmpMap File: BMP01.BIN"
        "\n====================================================="
        "\n====Update String Or Inquiry Information For ISP "
        "\n====================================================="
        "\nVID            : 0x04b4 "
        "\nPID            : 0x6830 "
        "\nStr_Manufacture: ACME                     "
        "\nStr_Product    : Card Reader              "
        "\nStr_Serial     : 000000000001"
        "\nInq_Manufacture: ACME     "
        "\nInq_Product    : Multi Reader     "
        "\nInq_Version    : 1.00"
        "\nDEV_setting    : "
        "\n         0 ~ 7 : 0x01 0x02 0x03 0x04 0x05 0x06 0x07 0x08 "
        "\n         8 ~ 15: 0x09 0x0a 0x0b 0xff 0xff 0xff 0xff 0xff "
        "\n        16 ~ 23: 0xff 0xff 0xff 0xff 0xff 0xff 0xff 0xff "
        "\n        24 ~ 25: 0xff 0xff "
        "\nROM SELECT CODE: 0x2f "
        "\n=====================================================";
    EXPECT_EQ(BuildUserIspReport(config, core::OsKind::WinXP, true, "SELF.SYS"), expected);
}

TEST(UserIspReportTest, NothingGiven) {
    const std::string expected =
        "\n====================================================="
        "\n==== SYSTEM Information For ISP"
        "\n====================================================="
        "\nOS            : Windows 2K"
        "\nISP USB ROMCODE: "
        "\nISP ADDRESS    : "
        "\nISP KV7720 ROM : "
        "\nISP BmpMap File: "
        "\n====================================================="
        "\n====Update String Or Inquiry Information For ISP "
        "\n====================================================="
        "\nVID            : No Active"
        "\nPID            : No Active"
        "\nStr_Manufacture: No Active"
        "\nStr_Product    : No Active"
        "\nStr_Serial     : No Active"
        "\nInq_Manufacture: No Active"
        "\nInq_Product    : No Active"
        "\nInq_Version    : No Active"
        "\nDEV_Setting    : No Active"
        "\nROM SELECT CODE: 0x00 "
        "\n=====================================================";
    DeviceConfig config;
    ReadDeviceConfigFromText("", config);
    EXPECT_EQ(BuildUserIspReport(config, core::OsKind::Win2K, false, "SELF.SYS"), expected);
}

struct SystemCase {
    core::OsKind osKind;
    bool selfDriverSel;
    const char* osLine;
    bool driverLine;
};

void PrintTo(const SystemCase& c, std::ostream* os) {
    *os << c.osLine;
}

class SystemLinesTest : public testing::TestWithParam<SystemCase> {};

TEST_P(SystemLinesTest, OsLineAndDriverLine) {
    const SystemCase& c = GetParam();
    const std::string report =
        BuildUserIspReport(DeviceConfig{}, c.osKind, c.selfDriverSel, "D.PDR");
    const std::string head = Sep + "\n==== SYSTEM Information For ISP" + Sep + "\n" + c.osLine +
                             (c.driverLine ? "\nDevice Driver : D.PDR" : "") +
                             "\nISP USB ROMCODE: ";
    EXPECT_EQ(report.substr(0, head.size()), head);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, SystemLinesTest,
    testing::Values(SystemCase{core::OsKind::Win98, false, "OS            : Windows 98", true},
                    SystemCase{core::OsKind::WinMe, false, "OS            : Windows ME", false},
                    SystemCase{core::OsKind::WinMe, true, "OS            : Windows ME", true},
                    SystemCase{core::OsKind::Win2K, true, "OS            : Windows 2K", true},
                    SystemCase{core::OsKind::WinXP, false, "OS            : Windows XP", false},
                    SystemCase{core::OsKind::Unknown, false, "OS            : Unknown", false}));

// Stored bytes are printed as they are; a zero byte adds nothing and the padding makes up for
// it.
TEST(UserIspReportTest, ZeroBytesInFieldsAddNothing) {
    DeviceConfig config;
    config.manufacturer.fill(' ');
    config.manufacturer[0] = 'A';
    config.manufacturer[1] = 0;
    config.manufacturer[2] = 'B';
    config.manufacturerLength = 3;
    config.inquiryRevision = {'1', 0, 0, '2'};
    config.inquiryRevisionGiven = true;
    const std::string report = BuildUserIspReport(config, core::OsKind::WinXP, false, "");
    EXPECT_NE(report.find("\nStr_Manufacture: AB                       \n"), std::string::npos);
    EXPECT_NE(report.find("\nInq_Version    : 12\n"), std::string::npos);
}

}  // namespace
}  // namespace kestrix::image
