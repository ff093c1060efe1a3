#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/byte_order.h"
#include "device/drive_paths.h"
#include "device/pass_through.h"
#include "device/self_driver.h"
#include "fake_platform.h"
#include "hex.h"
#include "platform/pass_through_layout.h"

namespace kestrix::device_test {
namespace {

namespace pt = device::pass_through;
namespace header = platform::pass_through;

constexpr platform::Handle DriveE = 0x1E;

// Where the commands under test put their answers.
struct Scratch {
    std::uint8_t status = 0;
    std::array<std::uint8_t, 528> answer{};
};
using Send = std::function<bool(device::DeviceContext&, Scratch&)>;

class PassThrough : public ::testing::Test {
  protected:
    PassThrough() {
        bench.kernel.openable["\\\\.\\E:"] = DriveE;
        EXPECT_TRUE(pt::OpenDrive(bench.context, 'E'));
    }

    // Every request succeeds with SCSI status `status` and answers `fill` in its data area.
    void Answer(bool callOk, std::uint8_t status, std::uint8_t fill = 0x5A) {
        bench.kernel.onIo = [=](const IoCall&, std::span<std::uint8_t> output) {
            if (output.size() >= header::HeaderSize) output[header::ScsiStatusOffset] = status;
            for (std::size_t i = 80; i < output.size(); ++i) output[i] = fill;
            return callOk;
        };
    }

    const IoCall& LastCall() const { return bench.kernel.ios.back(); }

    Bench bench;
    Scratch scratch;
};

struct RequestCase {
    const char* name;
    Send send;
    std::size_t inputLength;
    std::size_t outputLength;
    std::uint8_t dataIn;
    std::uint32_t transferLength;
    std::uint32_t timeout;
    const char* cdb;  // all 16 bytes of the header's block field
};

class PassThroughRequests : public PassThrough,
                            public ::testing::WithParamInterface<RequestCase> {};

TEST_P(PassThroughRequests, HeaderAndLengthsAsTheDriveExpects) {
    Answer(true, 0);
    bench.config.romSelectCode = 0x5C;
    ASSERT_TRUE(GetParam().send(bench.context, scratch));

    const IoCall& call = LastCall();
    EXPECT_EQ(call.handle, DriveE);
    EXPECT_EQ(call.code, 0x4D004u);
    EXPECT_EQ(call.input.size(), GetParam().inputLength);
    EXPECT_EQ(call.outputLength, GetParam().outputLength);
    const auto& in = call.input;
    EXPECT_EQ(core::GetLe16(in, header::LengthOffset), 44);
    EXPECT_EQ(in[header::PathIdOffset], 0);
    EXPECT_EQ(in[header::TargetIdOffset], 1);
    EXPECT_EQ(in[header::LunOffset], 0);
    EXPECT_EQ(in[header::CdbLengthOffset], 12);
    EXPECT_EQ(in[header::SenseInfoLengthOffset], 24);
    EXPECT_EQ(in[header::DataInOffset], GetParam().dataIn);
    EXPECT_EQ(core::GetLe32(in, header::DataTransferLengthOffset), GetParam().transferLength);
    EXPECT_EQ(core::GetLe32(in, header::TimeOutValueOffset), GetParam().timeout);
    EXPECT_EQ(core::GetLe32(in, header::DataBufferOffsetOffset), 80u);
    EXPECT_EQ(core::GetLe32(in, header::SenseInfoOffsetOffset), 48u);
    EXPECT_EQ(Hex(std::span(in).subspan(header::CdbOffset, 16)), GetParam().cdb);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PassThroughRequests,
    ::testing::Values(
        RequestCase{"Inquiry", [](auto& c, auto& s) { return pt::Inquiry(c, s.answer); }, 44, 116,
                    1, 36, 2, "12 00 00 00 24 00 00 00 00 00 00 00 00 00 00 00"},
        RequestCase{"ReadDeviceInfo",
                    [](auto& c, auto& s) { return pt::ReadDeviceInfo(c, s.answer); }, 44, 608, 1,
                    528, 2, "06 05 00 00 00 00 00 00 80 00 00 00 00 00 00 00"},
        RequestCase{"JumpToIsp", [](auto& c, auto&) { return pt::JumpToIsp(c); }, 44, 80, 1, 0, 2,
                    "06 bf 00 00 08 00 00 00 00 00 00 00 00 00 00 00"},
        RequestCase{"GetIspStatus", [](auto& c, auto& s) { return pt::GetIspStatus(c, s.status); },
                    44, 88, 1, 8, 30, "06 b0 00 00 08 00 00 00 00 00 00 00 00 00 00 00"},
        // L = 700 travels in 1024 bytes.
        RequestCase{"WriteIspBlock",
                    [](auto& c, auto&) {
                        return pt::WriteIspBlock(c, 700, 1024, device::IspWriteMode::Program);
                    },
                    80 + 1024, 80 + 1024, 0, 1024, 30,
                    "06 b1 00 5c bc 02 02 00 00 00 00 00 00 00 00 00"},
        RequestCase{"ReadBlocksAlt",
                    [](auto& c, auto& s) {
                        return device::self_driver::ReadBlocksAlt(c, s.answer,
                                                                  device::InfoBlockAddress, 1);
                    },
                    44, 592, 1, 512, 2, "ff 13 04 a5 5a 30 00 00 01 00 00 00 00 00 00 00"},
        RequestCase{"ReadBlocks",
                    [](auto& c, auto& s) {
                        return device::self_driver::ReadBlocks(c, s.answer,
                                                               device::InfoBlockAddress, 1);
                    },
                    44, 592, 1, 512, 2, "ff 03 04 a5 5a 30 00 00 01 00 00 00 00 00 00 00"}),
    [](const auto& info) { return std::string(info.param.name); });

struct StatusCase {
    const char* name;
    Send send;
    bool callOk;
    std::uint8_t scsiStatus;
    bool succeeds;
};

class ScsiStatusRule : public PassThrough, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(ScsiStatusRule, ACommandSucceedsOnlyWhenTheDeviceCompletedIt) {
    Answer(GetParam().callOk, GetParam().scsiStatus);
    EXPECT_EQ(GetParam().send(bench.context, scratch), GetParam().succeeds);
}

bool Jump(device::DeviceContext& c, Scratch&) {
    return pt::JumpToIsp(c);
}
bool Status(device::DeviceContext& c, Scratch& s) {
    return pt::GetIspStatus(c, s.status);
}
bool Write(device::DeviceContext& c, Scratch&) {
    return pt::WriteIspBlock(c, 512, 512, device::IspWriteMode::Verify);
}
bool Info(device::DeviceContext& c, Scratch& s) {
    return pt::ReadDeviceInfo(c, s.answer);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ScsiStatusRule,
                         ::testing::Values(StatusCase{"JumpGood", Jump, true, 0, true},
                                           StatusCase{"JumpCheckCondition", Jump, true, 2, false},
                                           StatusCase{"JumpCallFails", Jump, false, 0, false},
                                           StatusCase{"StatusGood", Status, true, 0, true},
                                           StatusCase{"StatusCheckCondition", Status, true, 2,
                                                      false},
                                           StatusCase{"StatusCallFails", Status, false, 0, false},
                                           StatusCase{"WriteGood", Write, true, 0, true},
                                           StatusCase{"WriteCheckCondition", Write, true, 2, false},
                                           StatusCase{"WriteCallFails", Write, false, 0, false},
                                           // A read the device refused carries no answer.
                                           StatusCase{"InfoCheckCondition", Info, true, 2, false},
                                           StatusCase{"InfoCallFails", Info, false, 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PassThrough, TheStatusByteIsHandedOverEvenWhenTheCommandFails) {
    Answer(true, 2, 0x9C);
    std::uint8_t got = 0;
    EXPECT_FALSE(pt::GetIspStatus(bench.context, got));
    EXPECT_EQ(got, 0x9C);
}

TEST_F(PassThrough, AFailedReadLeavesTheCallersBufferAlone) {
    Answer(false, 0, 0x11);
    std::array<std::uint8_t, 528> buffer;
    buffer.fill(0xEE);
    EXPECT_FALSE(pt::ReadDeviceInfo(bench.context, buffer));
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == 0xEE; }));

    Answer(true, 0, 0x11);
    EXPECT_TRUE(pt::ReadDeviceInfo(bench.context, buffer));
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == 0x11; }));
}

TEST_F(PassThrough, RequestsStartFromAClearBufferButAWriteSendsTheStagedData) {
    bool dataAreaClear = false;
    bench.kernel.onIo = [&](const IoCall&, std::span<std::uint8_t> output) {
        dataAreaClear =
            std::all_of(output.begin() + 80, output.end(), [](auto b) { return b == 0; });
        return true;
    };
    bench.state->passThroughBuffer.fill(0xEE);
    ASSERT_TRUE(pt::Inquiry(bench.context, scratch.answer));
    EXPECT_TRUE(dataAreaClear);

    const std::vector<std::uint8_t> image(700, 0xAB);
    bench.state->passThroughBuffer.fill(0xEE);
    pt::StageIspData(*bench.state, image);
    ASSERT_TRUE(pt::WriteIspBlock(bench.context, 700, 1024, device::IspWriteMode::Program));
    const auto& sent = LastCall().input;
    EXPECT_TRUE(
        std::all_of(sent.begin() + 80, sent.begin() + 780, [](auto b) { return b == 0xAB; }));
    EXPECT_TRUE(std::all_of(sent.begin() + 780, sent.end(), [](auto b) { return b == 0; }));
    // The sense area between header and data is zero too.
    EXPECT_TRUE(std::all_of(sent.begin() + 44, sent.begin() + 80, [](auto b) { return b == 0; }));
}

TEST_F(PassThrough, AWriteTheBufferCannotCarryIsRefusedWithoutSending) {
    Answer(true, 0);
    EXPECT_FALSE(pt::WriteIspBlock(bench.context, 0x10000, 0x10200, device::IspWriteMode::Program));
    EXPECT_FALSE(pt::WriteIspBlock(bench.context, 700, 700, device::IspWriteMode::Program));
    EXPECT_TRUE(bench.kernel.ios.empty());
    // The largest block fills the buffer exactly.
    EXPECT_TRUE(pt::WriteIspBlock(bench.context, 0x10000, 0x10000, device::IspWriteMode::Program));
    EXPECT_EQ(LastCall().input.size(), device::PassThroughBufferSize);
}

struct SelectedDriveCase {
    const char* name;
    std::uint32_t inUse;
    std::uint8_t letter;
    bool openable;
    std::uint8_t result;
    bool opens;  // CreateFileA is called
};

class SelectedDrive : public ::testing::TestWithParam<SelectedDriveCase> {};

TEST_P(SelectedDrive, OpensTheFirstLetterOfAnInUseRecord) {
    Bench bench;
    if (GetParam().openable) bench.kernel.openable["\\\\.\\G:"] = 0x47;
    bench.state->table.selectedIndex = 1;
    auto& record = bench.state->table.records[1];
    record.inUse = GetParam().inUse;
    record.driveLetters = {GetParam().letter, 'H'};

    EXPECT_EQ(pt::OpenSelectedDrive(bench.context), GetParam().result);

    ASSERT_EQ(bench.kernel.creates.size(), GetParam().opens ? 1u : 0u);
    if (GetParam().opens) {
        const CreateCall& create = bench.kernel.creates[0];
        EXPECT_EQ(create.path, "\\\\.\\G:");
        EXPECT_EQ(create.access, platform::GenericRead | platform::GenericWrite);
        EXPECT_EQ(create.share, platform::FileShareRead | platform::FileShareWrite);
        EXPECT_EQ(create.disposition, platform::OpenExisting);
        EXPECT_EQ(create.flags, 0u);
    }
    EXPECT_EQ(bench.state->driveHandle, GetParam().result == 0 ? 0x47u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Records, SelectedDrive,
                         ::testing::Values(SelectedDriveCase{"Opens", 1, 'G', true, 0, true},
                                           SelectedDriveCase{"CannotOpen", 1, 'G', false, 1, true},
                                           SelectedDriveCase{"FreeRecord", 0, 'G', true, 1, false},
                                           SelectedDriveCase{"NoLetter", 1, 0, true, 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SelectedDriveIndex, AnIndexOutsideTheTableOpensNothing) {
    Bench bench;
    bench.state->table.selectedIndex = device::DeviceTableCapacity;
    EXPECT_EQ(pt::OpenSelectedDrive(bench.context), 1);
    EXPECT_TRUE(bench.kernel.creates.empty());
}

struct PathCase {
    const char* file;
    const char* path;
};

class DriverPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(DriverPath, TakesTheNameBeforeAnEarlyDot) {
    EXPECT_EQ(device::DriverDevicePath(GetParam().file), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Names, DriverPath,
                         ::testing::Values(PathCase{"HVBRDG.SYS", "\\\\.\\HVBRDG"},
                                           PathCase{"QX20DISK.PDR", "\\\\.\\QX20DISK"},
                                           PathCase{"A.B.C", "\\\\.\\A"},
                                           PathCase{"HVBRDGSYS", "\\\\.\\"},
                                           PathCase{".SYS", "\\\\.\\"}, PathCase{"", "\\\\.\\"},
                                           // The fifteenth character is the last one looked at.
                                           PathCase{"ABCDEFGHIJKLMN.", "\\\\.\\ABCDEFGHIJKLMN"},
                                           PathCase{"ABCDEFGHIJKLMNO.P", "\\\\.\\"}));

TEST(DrivePath, ReplacesTheLetterOfTheTemplate) {
    EXPECT_EQ(device::DrivePath('C'), "\\\\.\\C:");
    EXPECT_EQ(device::DrivePath('Z'), "\\\\.\\Z:");
}

}  // namespace
}  // namespace kestrix::device_test
