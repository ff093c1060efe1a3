#include <gtest/gtest.h>

#include "platform/sim/hex_text.h"
#include "platform/sim/info_block.h"

namespace kestrix::sim {
namespace {

Reader FixtureReader() {
    Reader r;
    r.vid = 0x1234;
    r.pid = 0x5678;
    r.manufacturer = "MakerCo";
    r.product = "CardRdr";
    r.serial = "SN0000000042";
    r.inquiryVendor = "AB CD";
    r.inquiryProduct = "CARD READER";
    r.inquiryRevision = "1.00";
    r.firmwareRevision = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    r.usb20FirmwareRevision = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18};
    r.orgFirmwareRevision = {0x21, 0x22, 0x23, 0x24};
    r.hardwareCode = {0x10, 0x06, 0x43};
    r.msRevision = "verM1.2b";
    r.msIspRevision = "verI2.00";
    return r;
}

struct Field {
    std::size_t offset;
    const char* hex;
};

// The answer of FixtureReader, field by field; every byte not listed is zero.
const Field ExpectedFields[] = {
    {0x008, "34 12"},                 // VID 0x1234, little-endian
    {0x00A, "78 56"},                 // PID 0x5678, little-endian
    {0x02E, "4d 61 6b 65 72 43 6f"},  // USB manufacturer "MakerCo", zero-padded to 24
    {0x048, "43 61 72 64 52 64 72"},  // USB product "CardRdr", zero-padded to 16
    {0x062, "53 00 4e 00 30 00 30 00 30 00 30 00 30 00 30 00 30 00 30 00 34 00 32 00"},
    // serial "SN0000000042", UTF-16LE
    {0x094, "01 02 03 04 05 06 07 08"},                          // firmware revision record
    {0x09C, "43 41 52 44 20 52 45 41 44 45 52 20 20 20 20 20"},  // inquiry product, blank-padded
    {0x0B0, "41 42 20 43 44 20 20 20"},  // inquiry vendor "AB CD", blank-padded
    {0x0B8, "31 2e 30 30"},              // inquiry revision "1.00"
    {0x0BC, "65 76 4d 72 2e 31 62 32"},  // Memory Stick revision "verM1.2b", pairs swapped
    {0x17A, "21 22 23 24"},              // factory firmware revision
    {0x17E, "10 06 43"},                 // hardware code
    {0x208, "11 12 13 14 15 16 17 18"},  // USB 2.0 firmware revision record
};

InfoBlock ExpectedBlock() {
    InfoBlock block{};
    for (const Field& field : ExpectedFields) {
        const auto bytes = ParseHexBytes(field.hex, true);
        std::copy(bytes->begin(), bytes->end(), block.begin() + field.offset);
    }
    return block;
}

TEST(InfoBlock, BuiltFromTheIdentity) {
    const InfoBlock block = BuildInfoBlock(FixtureReader(), false);
    const InfoBlock expected = ExpectedBlock();
    for (std::size_t i = 0; i < block.size(); ++i) {
        EXPECT_EQ(block[i], expected[i]) << "offset 0x" << std::hex << i;
    }
}

TEST(InfoBlock, MemoryStickIspCodeReportsItsOwnRevision) {
    const InfoBlock block = BuildInfoBlock(FixtureReader(), true);
    // "verI2.00" with each pair swapped.
    EXPECT_EQ(FormatHexBytes(std::span(block).subspan(0x0BC, 8)), "65 76 49 72 2e 32 30 30");
}

TEST(InfoBlock, RawBlockStandsAsGiven) {
    Reader reader = FixtureReader();
    InfoBlock raw{};
    for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<std::uint8_t>(i);
    reader.infoBlock = raw;
    EXPECT_EQ(BuildInfoBlock(reader, false), raw);
    // Only the ISP code's revision replaces its field.
    const InfoBlock isp = BuildInfoBlock(reader, true);
    EXPECT_EQ(FormatHexBytes(std::span(isp).subspan(0x0BC, 8)), "65 76 49 72 2e 32 30 30");
    EXPECT_EQ(isp[0x0BB], raw[0x0BB]);
    EXPECT_EQ(isp[0x0C4], raw[0x0C4]);
}

TEST(Inquiry, StandardDataOfARemovableDisk) {
    const auto data = BuildInquiry({"AB CD", "CARD READER", "1.00", true});
    EXPECT_EQ(FormatHexBytes(std::span(data).first(36)),
              "00 80 02 02 1f 00 00 00 "                          // type, removable, versions
              "41 42 20 43 44 20 20 20 "                          // vendor "AB CD   "
              "43 41 52 44 20 52 45 41 44 45 52 20 20 20 20 20 "  // product
              "31 2e 30 30");                                     // revision
    EXPECT_EQ(BuildInquiry({"DISK", "FIXED DISK", "1.00", false})[1], 0x00);
}

}  // namespace
}  // namespace kestrix::sim
