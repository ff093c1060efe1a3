#include "image/device_config_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "image/setting_values.h"

namespace kestrix::image {
namespace {

std::string Entry(std::string_view key, std::string_view value) {
    return std::string(key) + " = \"" + std::string(value) + "\";\n";
}

DeviceConfig Read(const std::string& text) {
    DeviceConfig config;
    ReadDeviceConfigFromText(text, config);
    return config;
}

template <std::size_t N>
std::string Text(const std::array<std::uint8_t, N>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Each key at its maximum length is taken, one character more makes it absent; keys that take
// an exact length are absent one character short as well.
struct LimitCase {
    const char* key;
    std::size_t maxLength;
    bool exact;
    std::string prefix;  // start of the value; the rest is 'a'
    std::function<bool(const DeviceConfig&)> given;
};

void PrintTo(const LimitCase& c, std::ostream* os) {
    *os << c.key;
}

const LimitCase LimitCases[] = {
    {"VID", 4, true, "", [](const DeviceConfig& c) { return c.vidActive; }},
    {"PID", 4, true, "", [](const DeviceConfig& c) { return c.pidActive; }},
    {"String_Manufacture", 24, false, "",
     [](const DeviceConfig& c) { return c.manufacturerLength != 0; }},
    {"String_Product", 24, false, "", [](const DeviceConfig& c) { return c.productLength != 0; }},
    {"KV~@$^_Str_Serial", 12, false, "", [](const DeviceConfig& c) { return c.serialGiven; }},
    {"Inquiry_Manufacture", 8, false, "",
     [](const DeviceConfig& c) { return c.inquiryVendorGiven; }},
    {"Inquiry_Product", 16, false, "", [](const DeviceConfig& c) { return c.inquiryProductGiven; }},
    {"Inquiry_Version", 4, true, "", [](const DeviceConfig& c) { return c.inquiryRevisionGiven; }},
    {"ISP_ROMCODE", 12, false, "", [](const DeviceConfig& c) { return !c.romCodeFile.empty(); }},
    {"MS_ISP_ROMCODE", 12, false, "",
     [](const DeviceConfig& c) { return !c.msRomCodeFile.empty(); }},
    {"BmpMap_file", 12, false, "",
     [](const DeviceConfig& c) { return c.bmpMapGiven && !c.bmpMapFile.empty(); }},
    {"FA_Inquiry_Manufacture", 8, false, "",
     [](const DeviceConfig& c) { return c.inquiryIdentityFa[0] == 'a'; }},
    {"FA_Inquiry_Product", 16, false, "",
     [](const DeviceConfig& c) { return c.inquiryIdentityFa[8] == 'a'; }},
    {"FA_Inquiry_Version", 4, true, "",
     [](const DeviceConfig& c) { return c.inquiryIdentityFa[24] == 'a'; }},
    {"FB_Inquiry_Manufacture", 8, false, "",
     [](const DeviceConfig& c) { return c.inquiryIdentityFb[0] == 'a'; }},
    {"FB_Inquiry_Product", 16, false, "",
     [](const DeviceConfig& c) { return c.inquiryIdentityFb[8] == 'a'; }},
    {"FB_Inquiry_Version", 4, true, "",
     [](const DeviceConfig& c) { return c.inquiryIdentityFb[24] == 'a'; }},
    {"Device_setting", 256, false, "", [](const DeviceConfig& c) { return c.deviceSettingGiven; }},
    {"ROM_setting", 256, false, "0x21",
     [](const DeviceConfig& c) { return c.romSelectCode == 0x21; }},
};

class KeyLimitTest : public testing::TestWithParam<LimitCase> {};

TEST_P(KeyLimitTest, MaximumLengthIsTakenAndLongerIsAbsent) {
    const LimitCase& c = GetParam();
    const auto value = [&](std::size_t length) {
        return c.prefix + std::string(length - c.prefix.size(), 'a');
    };
    EXPECT_TRUE(c.given(Read(Entry(c.key, value(c.maxLength)))));
    EXPECT_FALSE(c.given(Read(Entry(c.key, value(c.maxLength + 1)))));
    EXPECT_EQ(c.given(Read(Entry(c.key, value(c.maxLength - 1)))), !c.exact);
    EXPECT_FALSE(c.given(Read("")));
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyLimitTest, testing::ValuesIn(LimitCases),
                         [](const testing::TestParamInfo<LimitCase>& info) {
                             std::string name = info.param.key;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char ch) {
                                     return !std::isalnum(static_cast<unsigned char>(ch));
                                 },
                                 '_');
                             return name;
                         });

struct HexIdCase {
    const char* value;
    bool active;
    std::uint16_t id;
};

void PrintTo(const HexIdCase& c, std::ostream* os) {
    *os << c.value;
}

class HexIdTest : public testing::TestWithParam<HexIdCase> {};

TEST_P(HexIdTest, VidAndPidTakeFourHexDigits) {
    const HexIdCase& c = GetParam();
    const DeviceConfig config = Read(Entry("VID", c.value) + Entry("PID", c.value));
    EXPECT_EQ(config.vidActive, c.active);
    EXPECT_EQ(config.pidActive, c.active);
    if (c.active) {
        EXPECT_EQ(config.vid, c.id);
        EXPECT_EQ(config.pid, c.id);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, HexIdTest,
                         testing::Values(HexIdCase{"04b4", true, 0x04b4},
                                         HexIdCase{"ABCD", true, 0xabcd},
                                         HexIdCase{"fFfF", true, 0xffff},
                                         HexIdCase{"0000", true, 0}, HexIdCase{"04G4", false, 0},
                                         HexIdCase{"04b ", false, 0}, HexIdCase{"x4b4", false, 0},
                                         HexIdCase{"4b4", false, 0}, HexIdCase{"004b4", false, 0}));

TEST(DeviceConfigReaderTest, StoresTextFieldsWithTheirPadding) {
    const DeviceConfig config =
        Read(Entry("String_Manufacture", "ACME") + Entry("String_Product", "Card Reader") +
             Entry("KV~@$^_Str_Serial", "SN1") + Entry("Inquiry_Manufacture", "Gen") +
             Entry("Inquiry_Product", "Multi Reader") + Entry("Inquiry_Version", "1.00"));
    EXPECT_EQ(Text(config.manufacturer), "ACME" + std::string(20, ' '));
    EXPECT_EQ(config.manufacturerLength, 4u);
    EXPECT_EQ(Text(config.product), "Card Reader" + std::string(13, ' '));
    EXPECT_EQ(config.productLength, 11u);
    EXPECT_EQ(Text(config.serial), std::string("SN1") + std::string(10, '\0'));
    EXPECT_TRUE(config.serialGiven);
    EXPECT_EQ(Text(config.inquiryVendor), "Gen     ");
    EXPECT_EQ(Text(config.inquiryProduct), "Multi Reader    ");
    EXPECT_EQ(Text(config.inquiryRevision), "1.00");
}

TEST(DeviceConfigReaderTest, FullSerialKeepsItsTerminatingZero) {
    DeviceConfig config;
    config.serial.fill('#');
    ReadDeviceConfigFromText(Entry("KV~@$^_Str_Serial", "ABCDEFGHIJKL"), config);
    EXPECT_EQ(Text(config.serial), std::string("ABCDEFGHIJKL") + '\0');
}

TEST(DeviceConfigReaderTest, InquiryIdentitiesAreFilledFromTheirKeys) {
    const DeviceConfig config =
        Read(Entry("FA_Inquiry_Manufacture", "Gen") + Entry("FA_Inquiry_Product", "Reader A") +
             Entry("FA_Inquiry_Version", "1.01") + Entry("FB_Inquiry_Product", "Reader B"));
    EXPECT_EQ(Text(config.inquiryIdentityFa), "Gen     Reader A        1.01");
    EXPECT_EQ(Text(config.inquiryIdentityFb), "        Reader B            ");
}

// A second read of a file that gives nothing: flags cleared, stored string bytes kept, file
// names emptied, identities blank, settings block unchanged, ROM select code 0.
TEST(DeviceConfigReaderTest, RereadClearsFlagsAndKeepsStoredBytes) {
    DeviceConfig config;
    ReadDeviceConfigFromText(
        Entry("VID", "04b4") + Entry("PID", "1234") + Entry("String_Manufacture", "ACME") +
            Entry("String_Product", "Reader") + Entry("KV~@$^_Str_Serial", "SN1") +
            Entry("Inquiry_Manufacture", "Gen") + Entry("Inquiry_Product", "Prod") +
            Entry("Inquiry_Version", "1.00") + Entry("ISP_ROMCODE", "FW01.BIN") +
            Entry("MS_ISP_ROMCODE", "MS.BIN") + Entry("BmpMap_file", "MAP.BIN") +
            Entry("FA_Inquiry_Manufacture", "Gen") + Entry("FB_Inquiry_Manufacture", "Gen") +
            Entry("Device_setting", "0x01") + Entry("ROM_setting", "0x21"),
        config);
    const DeviceConfig before = config;
    ASSERT_TRUE(before.deviceSettingGiven);

    ReadDeviceConfigFromText("no keys here", config);
    EXPECT_FALSE(config.vidActive);
    EXPECT_FALSE(config.pidActive);
    EXPECT_EQ(config.manufacturerLength, 0u);
    EXPECT_EQ(config.productLength, 0u);
    EXPECT_FALSE(config.serialGiven);
    EXPECT_FALSE(config.inquiryVendorGiven);
    EXPECT_FALSE(config.inquiryProductGiven);
    EXPECT_FALSE(config.inquiryRevisionGiven);
    EXPECT_FALSE(config.deviceSettingGiven);
    EXPECT_FALSE(config.bmpMapGiven);
    EXPECT_EQ(config.manufacturer, before.manufacturer);
    EXPECT_EQ(config.product, before.product);
    EXPECT_EQ(config.serial, before.serial);
    EXPECT_EQ(config.inquiryVendor, before.inquiryVendor);
    EXPECT_EQ(config.inquiryProduct, before.inquiryProduct);
    EXPECT_EQ(config.inquiryRevision, before.inquiryRevision);
    EXPECT_EQ(config.deviceSetting, before.deviceSetting);
    EXPECT_EQ(config.romCodeFile, "");
    EXPECT_EQ(config.stringAddressFile, "");
    EXPECT_EQ(config.msRomCodeFile, "");
    EXPECT_EQ(config.bmpMapFile, "");
    EXPECT_EQ(config.inquiryIdentityFa, BlankInquiryIdentity());
    EXPECT_EQ(config.inquiryIdentityFb, BlankInquiryIdentity());
    EXPECT_EQ(config.romSelectCode, 0);
}

TEST(DeviceConfigReaderTest, CommentNamingAKeyMakesThatKeyAbsent) {
    const DeviceConfig config = Read("This file sets the VID and the PID of the reader.\n" +
                                     Entry("VID", "04b4") + Entry("PID", "1234"));
    EXPECT_FALSE(config.vidActive);
    EXPECT_FALSE(config.pidActive);

    const DeviceConfig clean =
        Read("Vendor and product ids follow.\n" + Entry("VID", "04b4") + Entry("PID", "1234"));
    EXPECT_TRUE(clean.vidActive);
    EXPECT_TRUE(clean.pidActive);
}

struct StringAddressCase {
    const char* romCode;
    std::string romCodeFile;
    std::string stringAddressFile;
};

void PrintTo(const StringAddressCase& c, std::ostream* os) {
    *os << c.romCode;
}

class StringAddressTest : public testing::TestWithParam<StringAddressCase> {};

TEST_P(StringAddressTest, DerivedFromTheRomCodeFile) {
    const StringAddressCase& c = GetParam();
    const DeviceConfig config = Read(Entry("ISP_ROMCODE", c.romCode));
    EXPECT_EQ(config.romCodeFile, c.romCodeFile);
    EXPECT_EQ(config.stringAddressFile, c.stringAddressFile);
}

INSTANTIATE_TEST_SUITE_P(
    Names, StringAddressTest,
    testing::Values(StringAddressCase{"FW01.BIN", "FW01.BIN", "FW01.adr"},
                    StringAddressCase{"ABCDEFGH.BIN", "ABCDEFGH.BIN", "ABCDEFGH.adr"},
                    StringAddressCase{"A.B", "A.B", "A.adr"},
                    StringAddressCase{"FW.01.BIN", "FW.01.BIN", "FW.adr"},
                    StringAddressCase{"ABCDEFGHI.B", "ABCDEFGHI.B", ""},
                    StringAddressCase{".BIN", ".BIN", ""}, StringAddressCase{"FW01", "FW01", ""},
                    StringAddressCase{"ABCDEFGH.BINX", "", ""}));

TEST(DeviceConfigReaderTest, PreviousStringAddressFileIsClearedWhenNoneDerives) {
    DeviceConfig config;
    ReadDeviceConfigFromText(Entry("ISP_ROMCODE", "FW01.BIN"), config);
    ASSERT_EQ(config.stringAddressFile, "FW01.adr");
    ReadDeviceConfigFromText(Entry("ISP_ROMCODE", "FW01"), config);
    EXPECT_EQ(config.stringAddressFile, "");
}

DeviceSettingBlock Setting(std::vector<std::uint8_t> leading) {
    DeviceSettingBlock block;
    block.fill(0xFF);
    std::copy(leading.begin(), leading.end(), block.begin());
    return block;
}

std::string Pairs(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        char pair[16];
        std::snprintf(pair, sizeof pair, "0x%02x,", i);
        text += pair;
    }
    return text;
}

std::vector<std::uint8_t> Counting(int count) {
    std::vector<std::uint8_t> bytes;
    for (int i = 1; i <= count; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
    return bytes;
}

std::string Quoted(std::string_view value) {
    return "\"" + std::string(value) + "\";";
}

struct SettingCase {
    const char* name;
    std::string token;
    DeviceSettingBlock expected;
};

void PrintTo(const SettingCase& c, std::ostream* os) {
    *os << c.name;
}

const SettingCase SettingCases[] = {
    {"ThreePairs", Quoted("0x01,0x02,0x03"), Setting({1, 2, 3})},
    {"BlankSeparated", Quoted("0x01 0x02  0xAb"), Setting({1, 2, 0xab})},
    {"ExactlyTwentySixPairs", Quoted(Pairs(26)), Setting(Counting(26))},
    {"ExcessPairsIgnored", Quoted(Pairs(40)), Setting(Counting(26))},
    {"GluedPairLosesTheSecond", Quoted("x01x02"), Setting({1})},
    {"ZeroOfNextPairIsTheSeparator", Quoted("0x010x02"), Setting({1, 2})},
    {"UpperCaseXIsNotAPair", Quoted("0X01,0x02"), Setting({2})},
    {"NonHexCountsAsZero", Quoted("0x1g,0xzz"), Setting({0x10, 0x00})},
    {"PairReadsIntoTheClosingQuote", Quoted("0x1"), Setting({0x10})},
    {"NoPairs", Quoted("none"), Setting({})},
    // Text after the last semicolon belongs to the token and is walked up to position 256.
    {"PairAtLastWalkedPosition", Quoted(std::string(253, '-')) + "x11", Setting({0x11})},
    {"PairPastLastWalkedPosition", Quoted(std::string(254, '-')) + "x11", Setting({})},
};

class DeviceSettingTest : public testing::TestWithParam<SettingCase> {};

TEST_P(DeviceSettingTest, WalkGivesTheBlock) {
    const SettingCase& c = GetParam();
    const DeviceConfig config = Read("Device_setting = " + c.token + "\n");
    ASSERT_TRUE(config.deviceSettingGiven);
    EXPECT_EQ(config.deviceSetting, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Values, DeviceSettingTest, testing::ValuesIn(SettingCases),
                         [](const testing::TestParamInfo<SettingCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(DeviceConfigReaderTest, AbsentDeviceSettingLeavesTheBlockUnchanged) {
    DeviceConfig config;
    config.deviceSetting.fill(0x5A);
    ReadDeviceConfigFromText("Device_setting = 0x01;", config);
    EXPECT_FALSE(config.deviceSettingGiven);
    EXPECT_EQ(config.deviceSetting, Setting(std::vector<std::uint8_t>(26, 0x5A)));
}

struct RomCase {
    const char* value;
    std::uint8_t code;
};

void PrintTo(const RomCase& c, std::ostream* os) {
    *os << c.value;
}

class RomSettingTest : public testing::TestWithParam<RomCase> {};

TEST_P(RomSettingTest, FirstXAmongFirstFivePositions) {
    DeviceConfig config;
    config.romSelectCode = 0x77;
    ReadDeviceConfigFromText(Entry("ROM_setting", GetParam().value), config);
    EXPECT_EQ(config.romSelectCode, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Values, RomSettingTest,
                         testing::Values(RomCase{"0x21", 0x21}, RomCase{"0x2F", 0x2f},
                                         RomCase{"0x2f,0x33", 0x2f}, RomCase{"x5", 0x50},
                                         RomCase{"abcx12", 0x12}, RomCase{"abcdx12", 0},
                                         RomCase{"0X21", 0}, RomCase{"21", 0},
                                         RomCase{"0xg1", 0x01}));

TEST(DeviceConfigReaderTest, AbsentRomSettingGivesZero) {
    DeviceConfig config;
    config.romSelectCode = 0x77;
    ReadDeviceConfigFromText("ROM_setting = \"0x21\" ;", config);
    EXPECT_EQ(config.romSelectCode, 0);
}

TEST(ParseHexPairTest, DigitsOfBothCasesAndOthersAsZero) {
    EXPECT_EQ(ParseHexPair('0', '0'), 0x00);
    EXPECT_EQ(ParseHexPair('9', 'F'), 0x9f);
    EXPECT_EQ(ParseHexPair('a', 'f'), 0xaf);
    EXPECT_EQ(ParseHexPair('G', '1'), 0x01);
    EXPECT_EQ(ParseHexPair('1', '\0'), 0x10);
}

class DeviceTxtFileTest : public testing::Test {
  protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("kestrix_device_txt_") + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path Write(const std::string& text) {
        const auto path = dir_ / DeviceTxtFileName;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::filesystem::path dir_;
};

TEST_F(DeviceTxtFileTest, ReadsTheFile) {
    DeviceConfig config;
    const auto path = Write(Entry("VID", "04b4") + Entry("ISP_ROMCODE", "FW01.BIN"));
    ASSERT_TRUE(ReadDeviceConfig(path, config));
    EXPECT_TRUE(config.vidActive);
    EXPECT_EQ(config.vid, 0x04b4);
    EXPECT_EQ(config.stringAddressFile, "FW01.adr");
}

TEST_F(DeviceTxtFileTest, EmptyFileOpensAndGivesNothing) {
    DeviceConfig config;
    EXPECT_TRUE(ReadDeviceConfig(Write(""), config));
    EXPECT_FALSE(config.vidActive);
}

TEST_F(DeviceTxtFileTest, UnreadableFileFailsAndClearsLikeAnEmptyFile) {
    for (const auto& path : {dir_ / "missing.txt", dir_}) {
        DeviceConfig config;
        ReadDeviceConfigFromText(Entry("VID", "04b4") + Entry("ISP_ROMCODE", "FW01.BIN") +
                                     Entry("FA_Inquiry_Manufacture", "Gen") +
                                     Entry("ROM_setting", "0x21"),
                                 config);
        EXPECT_FALSE(ReadDeviceConfig(path, config)) << path;
        EXPECT_FALSE(config.vidActive);
        EXPECT_EQ(config.romCodeFile, "");
        EXPECT_EQ(config.stringAddressFile, "");
        EXPECT_EQ(config.inquiryIdentityFa, BlankInquiryIdentity());
        EXPECT_EQ(config.romSelectCode, 0);
    }
}

}  // namespace
}  // namespace kestrix::image
