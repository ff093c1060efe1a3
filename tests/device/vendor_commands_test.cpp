#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "device/port_driver_request.h"
#include "device/self_driver_request.h"
#include "device/vendor_commands.h"
#include "hex.h"

namespace kestrix::device_test {
namespace {

using namespace kestrix::device;

struct EncodingCase {
    const char* name;
    std::function<std::vector<std::uint8_t>()> build;
    const char* bytes;
};

template <std::size_t N>
std::vector<std::uint8_t> V(const std::array<std::uint8_t, N>& bytes) {
    return {bytes.begin(), bytes.end()};
}

class Encoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(Encoding, MatchesTheWireBytes) {
    EXPECT_EQ(Hex(GetParam().build()), GetParam().bytes);
}

std::string CaseName(const ::testing::TestParamInfo<EncodingCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    VendorFamily, Encoding,
    ::testing::Values(
        EncodingCase{"ReadDeviceInfo", [] { return V(ReadDeviceInfoCdb()); },
                     "06 05 00 00 00 00 00 00 80 00 00 00"},
        EncodingCase{"JumpToIspDriveLetter",
                     [] { return V(JumpToIspCdb(JumpToIspForm::DriveLetter)); },
                     "06 bf 00 00 08 00 00 00 00 00 00 00"},
        EncodingCase{"JumpToIspExtended", [] { return V(JumpToIspCdb(JumpToIspForm::Extended)); },
                     "06 bf 00 00 08 08 00 00 00 00 00 00"},
        EncodingCase{"GetIspStatus", [] { return V(GetIspStatusCdb()); },
                     "06 b0 00 00 08 00 00 00 00 00 00 00"},
        EncodingCase{"WriteIspBlockVerify",
                     [] { return V(WriteIspBlockCdb(IspWriteMode::Verify, 0x5C, 0x1234, 0x1400)); },
                     "06 b2 01 5c 34 12 0a 00 00 00 00 00"},
        EncodingCase{"WriteIspBlockProgram",
                     [] { return V(WriteIspBlockCdb(IspWriteMode::Program, 0, 0x2000, 0x2000)); },
                     "06 b1 00 00 00 20 10 00 00 00 00 00"},
        // A full 64 KiB block: L travels as its low 16 bits, 128 units.
        EncodingCase{"WriteIspBlockWhole",
                     [] { return V(WriteIspBlockCdb(IspWriteMode::Program, 7, 0x10000, 0x10000)); },
                     "06 b1 00 07 00 00 80 00 00 00 00 00"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    DriverFamily, Encoding,
    ::testing::Values(
        EncodingCase{"GetDeviceCount", [] { return V(GetDeviceCountCdb()); },
                     "ff 01 00 00 00 00 00 00 00 00 00 00"},
        EncodingCase{"GetSlotCount", [] { return V(GetSlotCountCdb()); },
                     "ff 02 00 00 00 00 00 00 00 00 00 00"},
        EncodingCase{"ReadBlocks", [] { return V(ReadBlocksCdb(InfoBlockAddress, 1)); },
                     "ff 03 04 a5 5a 30 00 00 01 00 00 00"},
        EncodingCase{"ReadBlocksAlt", [] { return V(ReadBlocksAltCdb(InfoBlockAddress, 1)); },
                     "ff 13 04 a5 5a 30 00 00 01 00 00 00"},
        EncodingCase{"InquiryDrive", [] { return V(InquiryCdb(0)); },
                     "12 00 00 00 24 00 00 00 00 00 00 00"},
        EncodingCase{"InquiryAspi", [] { return V(AspiInquiryCdbBytes()); }, "12 00 00 00 28 00"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    PortDriverA, Encoding,
    ::testing::Values(
        EncodingCase{"ReadBlocksAlt",
                     [] {
                         return V(port_driver_a::ReadBlocksAltRequest(1, InfoBlockAddress, 1,
                                                                      0x11223344));
                     },
                     "1f 00 00 00 30 5a a5 04 01 00 00 01 44 33 22 11"},
        EncodingCase{
            "ReadBlocks",
            [] { return V(port_driver_a::ReadBlocksRequest(0, InfoBlockAddress, 1, 0x10000)); },
            "01 00 00 00 30 5a a5 04 01 00 00 00 00 00 01 00"},
        EncodingCase{
            "WriteBlocks",
            [] { return V(port_driver_a::WriteBlocksRequest(0, InfoBlockAddress, 1, 0x10000)); },
            "20 00 00 00 30 5a a5 04 01 00 00 00 00 00 01 00"},
        // Device count always names device 0.
        EncodingCase{"GetDeviceCount",
                     [] { return V(port_driver_a::GetDeviceCountRequest(0x10000)); },
                     "0a 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00"},
        // The slot count of device 2: only the top byte of the addressing word is set.
        EncodingCase{"GetSlotCount",
                     [] { return V(port_driver_a::GetSlotCountRequest(2, 0x10000)); },
                     "0b 00 00 00 00 00 00 00 00 00 00 02 00 00 01 00"},
        EncodingCase{"ReadFirmwareRevision",
                     [] { return V(port_driver_a::ReadFirmwareRevisionRequest(3, 0x10000)); },
                     "1a 00 00 00 00 00 00 00 00 00 00 03 00 00 01 00"},
        EncodingCase{"JumpToIsp", [] { return V(port_driver_a::JumpToIspRequest(0, 0x10000)); },
                     "14 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00"},
        EncodingCase{"GetIspStatus",
                     [] { return V(port_driver_a::GetIspStatusRequest(1, 0x10000)); },
                     "15 00 00 00 00 00 00 00 00 00 00 01 00 00 01 00"},
        EncodingCase{"WriteIspBlock",
                     [] {
                         return V(port_driver_a::WriteIspBlockRequest(1, 700, IspWriteMode::Verify,
                                                                      0x10000));
                     },
                     "16 00 00 00 bc 02 00 00 01 00 00 01 00 00 01 00"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    PortDriverB, Encoding,
    ::testing::Values(
        EncodingCase{"GetDeviceCount",
                     [] { return V(port_driver_b::GetDeviceCountRequest(0x10000)); },
                     "01 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00"},
        EncodingCase{"GetSlotCount",
                     [] { return V(port_driver_b::GetSlotCountRequest(2, 0x10000)); },
                     "02 00 00 00 00 00 00 00 00 00 00 02 00 00 01 00"},
        EncodingCase{"ReadDeviceInfo",
                     [] { return V(port_driver_b::ReadDeviceInfoRequest(1, 0, 0x10000)); },
                     "03 00 00 00 01 00 00 00 00 00 00 00 "
                     "06 05 00 00 00 00 00 00 80 00 00 00 00 00 00 00 "
                     "01 00 00 00 10 02 00 00 00 00 01 00"},
        EncodingCase{"JumpToIsp", [] { return V(port_driver_b::JumpToIspRequest(2, 0x10000)); },
                     "03 00 00 00 02 00 00 00 00 00 00 00 "
                     "06 bf 00 00 08 08 00 00 00 00 00 00 00 00 00 00 "
                     "00 00 00 00 00 00 00 00 00 00 01 00"},
        EncodingCase{"GetIspStatus",
                     [] { return V(port_driver_b::GetIspStatusRequest(0, 0x10000)); },
                     "03 00 00 00 00 00 00 00 00 00 00 00 "
                     "06 b0 00 00 08 00 00 00 00 00 00 00 00 00 00 00 "
                     "01 00 00 00 1c 00 00 00 00 00 01 00"},
        EncodingCase{"WriteIspBlock",
                     [] {
                         return V(port_driver_b::WriteIspBlockRequest(1, 0, IspWriteMode::Program,
                                                                      0x5C, 700, 1024, 0x10000));
                     },
                     "03 00 00 00 01 00 00 00 00 00 00 00 "
                     "06 b1 00 5c bc 02 02 00 00 00 00 00 00 00 00 00 "
                     "02 00 00 00 00 04 00 00 00 00 01 00"}),
    CaseName);

TEST(SelfDriverRequest, CodesComeFromDeviceTypeAndFunction) {
    EXPECT_EQ(self_driver::IoctlJumpToIsp, 0x222004u);
    EXPECT_EQ(self_driver::IoctlGetIspStatus, 0x222008u);
    EXPECT_EQ(self_driver::IoctlWriteIspBlock, 0x22200Cu);
}

TEST(SelfDriverRequest, CarriesCodeLengthModeAnswerAndData) {
    std::vector<std::uint8_t> request(self_driver::RequestSize, 0xEE);
    const std::vector<std::uint8_t> data{0xAA, 0xBB, 0xCC};
    self_driver::BuildWriteIspBlockRequest(
        std::span<std::uint8_t, self_driver::RequestSize>(request.data(), request.size()), data,
        IspWriteMode::Verify, 0x00120000);
    EXPECT_EQ(Hex(std::span(request).first(19)),
              "0c 20 22 00 03 00 00 00 01 00 00 00 00 00 12 00 aa bb cc");
    // The rest of the data area is zero, not what the buffer held.
    EXPECT_TRUE(std::all_of(request.begin() + 19, request.end(), [](auto b) { return b == 0; }));

    self_driver::BuildGetIspStatusRequest(
        std::span<std::uint8_t, self_driver::RequestSize>(request.data(), request.size()),
        0x00130000);
    EXPECT_EQ(Hex(std::span(request).first(19)),
              "08 20 22 00 00 00 00 00 00 00 00 00 00 00 13 00 00 00 00");
    EXPECT_TRUE(std::all_of(request.begin() + 16, request.end(), [](auto b) { return b == 0; }));
}

struct PaddingCase {
    std::uint32_t length;
    std::uint32_t padded;
};

class Padding : public ::testing::TestWithParam<PaddingCase> {};

TEST_P(Padding, RoundsUpToWholeUnits) {
    EXPECT_EQ(PaddedLength(GetParam().length), GetParam().padded);
}

INSTANTIATE_TEST_SUITE_P(Lengths, Padding,
                         ::testing::Values(PaddingCase{1, 512}, PaddingCase{512, 512},
                                           PaddingCase{513, 1024}, PaddingCase{700, 1024},
                                           PaddingCase{0x1234, 0x1400},
                                           PaddingCase{0xFE01, 0x10000},
                                           PaddingCase{0x10000, 0x10000},
                                           PaddingCase{0xFFFFFFFF, 0x10000}));

}  // namespace
}  // namespace kestrix::device_test
