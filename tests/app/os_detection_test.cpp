#include "app/os_detection.h"

#include <gtest/gtest.h>

namespace kestrix::app {
namespace {

using core::OsKind;

struct VersionCase {
    const char* name;
    std::uint32_t version;  // GetVersion: low byte major, next byte minor, top bit 9x family
    OsKind expected;
};

class DetectOsKindTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(DetectOsKindTest, MapsVersionToKind) {
    EXPECT_EQ(DetectOsKind(GetParam().version), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, DetectOsKindTest,
    ::testing::Values(VersionCase{"win95", 0xC3B60004u, OsKind::Win98},
                      VersionCase{"win98", 0xC0000A04u, OsKind::Win98},
                      VersionCase{"winme", 0xC0005A04u, OsKind::WinMe},
                      VersionCase{"nt4", 0x05650004u, OsKind::Unknown},
                      VersionCase{"win2k", 0x08930005u, OsKind::Win2K},
                      VersionCase{"winxp", 0x0A280105u, OsKind::WinXP},
                      VersionCase{"win2003", 0x0ECE0205u, OsKind::Unknown},
                      VersionCase{"vista", 0x17700006u, OsKind::Unknown},
                      // The family bit decides: 5.1 with the 9x bit, 4.10 without it.
                      VersionCase{"xp_numbers_9x_bit", 0x80000105u, OsKind::Unknown},
                      VersionCase{"win98_numbers_nt", 0x00000A04u, OsKind::Unknown},
                      VersionCase{"win9x_4_20", 0x80001404u, OsKind::Unknown}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrix::app
