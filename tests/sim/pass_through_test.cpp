#include <gtest/gtest.h>

#include <cstring>

#include "platform/sim/hex_text.h"
#include "platform/sim/info_block.h"
#include "platform/sim/sim_host.h"
#include "sim/sim_test_support.h"

namespace kestrix::sim {
namespace {

using test::Bytes;
using test::PassThrough;

namespace pt = platform::pass_through;

constexpr std::uint8_t In = pt::DataIn;
constexpr std::uint8_t Out = pt::DataOut;

const Bytes InquiryCdb = {0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0};
const Bytes ReadDeviceInfoCdb = {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0};
const Bytes JumpCdb = {0x06, 0xBF, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0};
const Bytes StatusCdb = {0x06, 0xB0, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0};
const Bytes ReadAltCdb = {0xFF, 0x13, 0x04, 0xA5, 0x5A, 0x30, 0, 0, 0x01, 0, 0, 0};

World XpWorld(const std::string& extra = "") {
    return test::MustParse(R"({"os": "winxp", "drives": ["C"], "devices": [{
        "inquiryVendor": "AB CD", "inquiryProduct": "CARD READER", "inquiryRevision": "1.00",
        "slots": ["E", "F"])" +
                           extra + "}]}");
}

class PassThroughPath : public ::testing::Test {
  protected:
    void Use(World world) {
        host_ = std::make_unique<SimHost>(std::move(world));
        drive_ = test::OpenDrive(*host_, 'E');
        ASSERT_NE(drive_, platform::InvalidHandleValue);
    }
    void SetUp() override { Use(XpWorld()); }

    bool Send(PassThrough& request) { return test::Send(*host_, drive_, request); }

    std::uint8_t IspStatus() {
        PassThrough status(StatusCdb, In, 8);
        EXPECT_TRUE(Send(status));
        EXPECT_EQ(status.ScsiStatus(), 0);
        return status.Data()[0];
    }

    bool WriteIsp(const Bytes& image, std::uint8_t mode, std::uint8_t* scsiStatus = nullptr) {
        const std::uint32_t padded = (static_cast<std::uint32_t>(image.size()) + 511) / 512 * 512;
        PassThrough write(test::WriteIspCdb(static_cast<std::uint32_t>(image.size()), mode, 0x5C),
                          Out, padded);
        std::copy(image.begin(), image.end(), write.buffer.begin() + 80);
        const bool sent = Send(write);
        if (scsiStatus != nullptr) *scsiStatus = write.ScsiStatus();
        return sent;
    }

    std::unique_ptr<SimHost> host_;
    platform::Handle drive_ = 0;
};

TEST_F(PassThroughPath, InquiryAnswersTheReaderIdentity) {
    PassThrough inquiry(InquiryCdb, In, 36, 116);
    inquiry.outputLength = 116;
    ASSERT_TRUE(Send(inquiry));
    EXPECT_EQ(inquiry.ScsiStatus(), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(inquiry.Data()) + 8, 28),
              "AB CD   CARD READER     1.00");
    EXPECT_EQ(inquiry.Data()[1], 0x80);  // removable
}

TEST_F(PassThroughPath, OtherDrivesAnswerInquiryAsADiskAndRefuseVendorCommands) {
    const platform::Handle disk = test::OpenDrive(*host_, 'C');
    PassThrough inquiry(InquiryCdb, In, 36);
    ASSERT_TRUE(test::Send(*host_, disk, inquiry));
    EXPECT_EQ(inquiry.ScsiStatus(), 0);
    EXPECT_EQ(inquiry.Data()[1], 0x00);  // fixed
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(inquiry.Data()) + 16, 10), "FIXED DISK");

    PassThrough info(ReadDeviceInfoCdb, In, 528);
    ASSERT_TRUE(test::Send(*host_, disk, info));
    EXPECT_EQ(info.ScsiStatus(), 2);
    EXPECT_EQ(info.buffer[48 + 2], 0x05);  // sense key ILLEGAL REQUEST
    EXPECT_EQ(info.Data()[0], 0);          // no data
}

TEST_F(PassThroughPath, ReadDeviceInfoAnswersTheInformationBlock) {
    PassThrough info(ReadDeviceInfoCdb, In, 528);
    ASSERT_TRUE(Send(info));
    EXPECT_EQ(info.ScsiStatus(), 0);
    const InfoBlock expected = BuildInfoBlock(XpWorld().devices[0], false);
    EXPECT_EQ(0, std::memcmp(info.Data(), expected.data(), expected.size()));
}

TEST_F(PassThroughPath, ProgramThenVerifyThroughTheIspLoader) {
    EXPECT_EQ(IspStatus(), 0x00);  // the main firmware runs
    PassThrough jump(JumpCdb, In, 0);
    ASSERT_TRUE(Send(jump));
    EXPECT_EQ(jump.ScsiStatus(), 0);
    EXPECT_EQ(IspStatus(), 0x9C);

    const Bytes image = test::Image(700);
    ASSERT_TRUE(WriteIsp(image, 0));
    EXPECT_EQ(IspStatus(), 0xA5);
    const auto state = host_->ReaderState(0);
    EXPECT_EQ(state.programmedLength, 700u);
    EXPECT_EQ(state.firmware, image);  // the padding is not programmed
    EXPECT_EQ(state.lastRomSelectCode, 0x5C);

    ASSERT_TRUE(WriteIsp(image, 1));
    EXPECT_EQ(IspStatus(), 0x5A);
    ASSERT_TRUE(WriteIsp(test::Image(700, 2), 1));
    EXPECT_EQ(IspStatus(), 0x33);
    EXPECT_TRUE(host_->Rejections().empty());
}

TEST_F(PassThroughPath, VerifyComparesWithTheFirmwareTheWorldGives) {
    Use(XpWorld(R"(, "firmware": "0a0b0c")"));
    PassThrough jump(JumpCdb, In, 0);
    ASSERT_TRUE(Send(jump));
    ASSERT_TRUE(WriteIsp({0x0A, 0x0B, 0x0C}, 1));
    EXPECT_EQ(IspStatus(), 0x5A);
    ASSERT_TRUE(WriteIsp({0x0A, 0x0B, 0x0D}, 1));
    EXPECT_EQ(IspStatus(), 0x33);
}

TEST_F(PassThroughPath, AWholeSixtyFourKilobyteImageTravelsAsLengthZeroWith128Units) {
    PassThrough jump(JumpCdb, In, 0);
    ASSERT_TRUE(Send(jump));
    const Bytes image = test::Image(65536);
    PassThrough write({0x06, 0xB1, 0, 0, 0x00, 0x00, 0x80, 0, 0, 0, 0, 0}, Out, 65536);
    std::copy(image.begin(), image.end(), write.buffer.begin() + 80);
    ASSERT_TRUE(Send(write));
    EXPECT_EQ(write.ScsiStatus(), 0);
    EXPECT_EQ(host_->ReaderState(0).programmedLength, 65536u);
}

TEST_F(PassThroughPath, InconsistentIspBlocksAreRefusedByTheFirmware) {
    struct Case {
        const char* name;
        Bytes cdb;
        std::uint32_t transfer;
        const char* reason;
    };
    const Case cases[] = {
        {"units disagree with the transfer",
         {0x06, 0xB1, 0, 0, 0xBC, 0x02, 0x01, 0, 0, 0, 0, 0},
         1024,
         "inconsistent lengths"},
        {"length beyond its units",
         {0x06, 0xB1, 0, 0, 0x01, 0x02, 0x01, 0, 0, 0, 0, 0},
         512,
         "does not round up"},
        {"a whole unit of padding",
         {0x06, 0xB1, 0, 0, 0x00, 0x02, 0x02, 0, 0, 0, 0, 0},
         1024,
         "does not round up"},
        {"mode byte disagrees",
         {0x06, 0xB2, 0, 0, 0x00, 0x02, 0x01, 0, 0, 0, 0, 0},
         512,
         "disagrees with its opcode"},
        {"no units",
         {0x06, 0xB1, 0, 0, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0},
         0,
         "without a data-out phase"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        PassThrough jump(JumpCdb, In, 0);
        ASSERT_TRUE(Send(jump));
        PassThrough write(c.cdb, Out, c.transfer);
        ASSERT_TRUE(Send(write));
        EXPECT_EQ(write.ScsiStatus(), 2);
        EXPECT_TRUE(test::Rejected(*host_, c.reason));
        EXPECT_FALSE(host_->ReaderState(0).programmedLength);
    }
}

TEST_F(PassThroughPath, IspBlockWithoutJumpIsRefused) {
    std::uint8_t status = 0;
    ASSERT_TRUE(WriteIsp(test::Image(512), 0, &status));
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(test::Rejected(*host_, "while no ISP loader runs"));
}

TEST_F(PassThroughPath, SelfDriverFamilyPassesOnlyWithTheSelfDriverLoaded) {
    PassThrough blocked(ReadAltCdb, In, 512);
    ASSERT_TRUE(Send(blocked));
    EXPECT_EQ(blocked.ScsiStatus(), 2);
    EXPECT_EQ(host_->ReaderState(0).calls[static_cast<std::size_t>(Command::ReadBlocksAlt)], 0u);

    World world = XpWorld();
    world.drivers.insert("HVBRDG");
    Use(std::move(world));
    PassThrough read(ReadAltCdb, In, 512);
    ASSERT_TRUE(Send(read));
    EXPECT_EQ(read.ScsiStatus(), 0);
    const InfoBlock expected = BuildInfoBlock(XpWorld().devices[0], false);
    EXPECT_EQ(0, std::memcmp(read.Data(), expected.data(), 512));

    PassThrough devices({0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, In, 8);
    ASSERT_TRUE(Send(devices));
    EXPECT_EQ(devices.Data()[0], 1);
    PassThrough slots({0xFF, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, In, 8);
    ASSERT_TRUE(Send(slots));
    EXPECT_EQ(slots.Data()[0], 2);

    PassThrough elsewhere({0xFF, 0x03, 0x04, 0xA5, 0x5A, 0x31, 0, 0, 0x01, 0, 0, 0}, In, 512);
    ASSERT_TRUE(Send(elsewhere));
    EXPECT_EQ(elsewhere.ScsiStatus(), 2);
    EXPECT_TRUE(test::Rejected(*host_, "ReadBlocks of 1 block(s) at 0x04a55a31"));
}

TEST_F(PassThroughPath, MalformedRequestsFail) {
    struct Case {
        const char* name;
        std::function<void(PassThrough&)> spoil;
        const char* reason;
    };
    const Case cases[] = {
        {"header Length", [](PassThrough& r) { r.buffer[pt::LengthOffset] = 40; },
         "header Length 40"},
        {"CdbLength", [](PassThrough& r) { r.buffer[pt::CdbLengthOffset] = 13; }, "CdbLength 13"},
        {"DataBufferOffset",
         [](PassThrough& r) { core::PutLe32(r.buffer, pt::DataBufferOffsetOffset, 84); },
         "DataBufferOffset 84"},
        {"SenseInfoOffset",
         [](PassThrough& r) { core::PutLe32(r.buffer, pt::SenseInfoOffsetOffset, 44); },
         "SenseInfoOffset 44"},
        {"sense too long", [](PassThrough& r) { r.buffer[pt::SenseInfoLengthOffset] = 40; },
         "SenseInfoLength 40"},
        {"DataIn", [](PassThrough& r) { r.buffer[pt::DataInOffset] = 3; }, "DataIn 3"},
        {"transfer beyond the output", [](PassThrough& r) { r.outputLength = 600; },
         "does not fit the output buffer"},
        {"short input", [](PassThrough& r) { r.inputLength = 40; }, "must both hold"},
        {"output without the sense area", [](PassThrough& r) { r.outputLength = 60; },
         "does not hold the sense area"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        PassThrough info(ReadDeviceInfoCdb, In, 528);
        c.spoil(info);
        EXPECT_FALSE(Send(info));
        EXPECT_TRUE(test::Rejected(*host_, c.reason));
    }
}

TEST_F(PassThroughPath, UnknownControlCodeOnADriveFails) {
    Bytes buffer(100);
    std::uint32_t returned = 0;
    EXPECT_FALSE(host_->DeviceIoControl(drive_, 0x41, buffer, buffer, returned));
    EXPECT_TRUE(test::Rejected(*host_, "unknown control code"));
}

TEST_F(PassThroughPath, NotAvailableOnWindows9x) {
    World world = XpWorld();
    world.version = 0x80000A04u;
    Use(std::move(world));
    PassThrough inquiry(InquiryCdb, In, 36);
    EXPECT_FALSE(Send(inquiry));
}

TEST_F(PassThroughPath, FaultsFailTheTransportOrReportTheirStatus) {
    Use(XpWorld(R"(, "faults": {"fail": ["ReadDeviceInfo", "Inquiry#2"]})"));
    PassThrough info(ReadDeviceInfoCdb, In, 528);
    EXPECT_FALSE(Send(info));
    for (const bool expected : {true, false, true}) {
        PassThrough inquiry(InquiryCdb, In, 36);
        EXPECT_EQ(Send(inquiry), expected);
    }
    const auto state = host_->ReaderState(0);
    EXPECT_EQ(state.calls[static_cast<std::size_t>(Command::Inquiry)], 3u);
    EXPECT_EQ(state.calls[static_cast<std::size_t>(Command::ReadDeviceInfo)], 1u);
    EXPECT_TRUE(host_->Rejections().empty());  // rehearsed faults are not malformed requests

    Use(XpWorld(R"(, "faults": {"fail": ["GetIspStatus"], "scsiStatus": 2})"));
    PassThrough status(StatusCdb, In, 8);
    ASSERT_TRUE(Send(status));
    EXPECT_EQ(status.ScsiStatus(), 2);
}

TEST_F(PassThroughPath, ForcedIspStatusAnswersReplaceTheModel) {
    Use(XpWorld(R"(, "faults": {"ispStatus": {"2": "0x3f"}})"));
    PassThrough jump(JumpCdb, In, 0);
    ASSERT_TRUE(Send(jump));
    EXPECT_EQ(IspStatus(), 0x9C);
    EXPECT_EQ(IspStatus(), 0x3F);
    EXPECT_EQ(IspStatus(), 0x9C);
}

TEST_F(PassThroughPath, StateReportCountsCallsAndShowsTheLoader) {
    PassThrough jump(JumpCdb, In, 0);
    ASSERT_TRUE(Send(jump));
    ASSERT_TRUE(WriteIsp(test::Image(600), 0));
    const nlohmann::json state = host_->StateJson();
    const auto& reader = state.at("readers").at(0);
    EXPECT_EQ(reader.at("mode"), "isp");
    EXPECT_EQ(reader.at("ispStatus"), "0xa5");
    EXPECT_EQ(reader.at("programmedLength"), 600);
    EXPECT_EQ(reader.at("calls").at("JumpToIsp"), 1);
    EXPECT_EQ(reader.at("calls").at("WriteIspBlock"), 1);
    EXPECT_EQ(state.at("openHandles"), 1);
}

}  // namespace
}  // namespace kestrix::sim
