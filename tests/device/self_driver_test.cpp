#include <gtest/gtest.h>

#include <algorithm>

#include "device/pass_through.h"
#include "device/self_driver.h"
#include "fake_platform.h"
#include "hex.h"
#include "platform/pass_through_layout.h"

namespace kestrix::device_test {
namespace {

namespace sd = device::self_driver;

constexpr platform::Handle Driver = 0x3000;
constexpr platform::Handle DriveE = 0x1E;

class SelfDriver : public ::testing::Test {
  protected:
    SelfDriver() {
        bench.app.osKind = core::OsKind::Win2K;
        bench.app.selfDriverSel = 1;
        bench.app.driverFileName = "HVBRDG.SYS";
    }

    void LoadDriver() { bench.kernel.openable["\\\\.\\HVBRDG"] = Driver; }

    Bench bench;
};

TEST_F(SelfDriver, OpenKeepsTheHandleAndAProbeClosesItAtOnce) {
    LoadDriver();
    EXPECT_EQ(device::OpenSelfDriver(bench.context, false), 0);
    EXPECT_EQ(bench.state->selfDriverHandle, Driver);
    const CreateCall& create = bench.kernel.creates.back();
    EXPECT_EQ(create.path, "\\\\.\\HVBRDG");
    EXPECT_EQ(create.access, platform::GenericRead | platform::GenericWrite);
    EXPECT_EQ(create.share, 0u);
    EXPECT_EQ(create.disposition, platform::OpenExisting);
    EXPECT_EQ(create.flags, 0u);

    // Opening again first closes the handle left open, so it never leaks.
    EXPECT_EQ(device::ProbeSelfDriver(bench.context), 0);
    EXPECT_EQ(bench.state->selfDriverHandle, 0u);
    EXPECT_TRUE(bench.kernel.OpenHandles().empty());
    EXPECT_TRUE(bench.console.text.empty());
}

TEST_F(SelfDriver, AMissingDriverIsReportedOnTheStandardOutput) {
    bench.state->selfDriverHandle = 0;
    EXPECT_EQ(device::OpenSelfDriver(bench.context, false), 1);
    EXPECT_EQ(bench.state->selfDriverHandle, 0u);
    EXPECT_EQ(bench.console.text, "Loading HvBrdg.Sys is Failed!\n");
}

TEST_F(SelfDriver, ANameWithoutAnEarlyDotOpensNothing) {
    LoadDriver();
    bench.app.driverFileName = "HVBRDGSYS";
    EXPECT_EQ(device::OpenSelfDriver(bench.context, false), 1);
    EXPECT_EQ(bench.kernel.creates.back().path, "\\\\.\\");
    EXPECT_EQ(bench.state->selfDriverHandle, 0u);
}

struct IoctlCase {
    const char* name;
    std::uint32_t code;
    std::size_t outputLength;
};

class SelfDriverIoctls : public SelfDriver, public ::testing::WithParamInterface<IoctlCase> {};

TEST_P(SelfDriverIoctls, SendTheFullRequestToTheDriver) {
    LoadDriver();
    ASSERT_EQ(device::OpenSelfDriver(bench.context, false), 0);
    std::uint32_t answerToken = 0;
    bench.kernel.onIo = [&](const IoCall& call, std::span<std::uint8_t>) {
        answerToken = Word(call.input, 12);
        // The driver writes its one-byte answer through the request.
        const auto answer = bench.Resolve(answerToken, 1);
        if (answer.empty()) return false;
        answer[0] = device::StatusBlockWritten;
        return true;
    };
    const std::vector<std::uint8_t> block{1, 2, 3, 4, 5};
    std::uint8_t status = 0;
    bool ok = false;
    if (GetParam().code == 0x222004) ok = sd::JumpToIsp(bench.context);
    if (GetParam().code == 0x222008) ok = sd::GetIspStatus(bench.context, status);
    if (GetParam().code == 0x22200C)
        ok = sd::WriteIspBlock(bench.context, block, device::IspWriteMode::Verify);
    ASSERT_TRUE(ok);

    const IoCall& call = bench.kernel.ios.back();
    EXPECT_EQ(call.handle, Driver);
    EXPECT_EQ(call.code, GetParam().code);
    ASSERT_EQ(call.input.size(), 65552u);
    EXPECT_EQ(call.outputLength, GetParam().outputLength);
    EXPECT_EQ(Word(call.input, 0), GetParam().code);
    EXPECT_NE(answerToken, 0u);
    const bool write = GetParam().code == 0x22200C;
    EXPECT_EQ(Word(call.input, 4), write ? 5u : 0u);
    EXPECT_EQ(Word(call.input, 8), write ? 1u : 0u);
    EXPECT_EQ(Hex(std::span(call.input).subspan(16, 6)),
              write ? "01 02 03 04 05 00" : "00 00 00 00 00 00");
    if (GetParam().code == 0x222008) {
        EXPECT_EQ(status, device::StatusBlockWritten);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, SelfDriverIoctls,
                         ::testing::Values(IoctlCase{"JumpToIsp", 0x222004, 1},
                                           IoctlCase{"GetIspStatus", 0x222008, 1},
                                           IoctlCase{"WriteIspBlock", 0x22200C, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SelfDriver, IspCommandsReportTheCallsResult) {
    bench.kernel.onIo = [](const IoCall&, std::span<std::uint8_t>) { return false; };
    std::uint8_t status = 0;
    EXPECT_FALSE(sd::JumpToIsp(bench.context));
    EXPECT_FALSE(sd::GetIspStatus(bench.context, status));
    EXPECT_FALSE(sd::WriteIspBlock(bench.context, std::vector<std::uint8_t>(16),
                                   device::IspWriteMode::Program));
}

TEST_F(SelfDriver, ABlockLargerThanTheRequestIsRefusedWithoutSending) {
    bench.kernel.onIo = [](const IoCall&, std::span<std::uint8_t>) { return true; };
    EXPECT_FALSE(sd::WriteIspBlock(bench.context, std::vector<std::uint8_t>(65537),
                                   device::IspWriteMode::Program));
    EXPECT_TRUE(bench.kernel.ios.empty());
    EXPECT_TRUE(sd::WriteIspBlock(bench.context, std::vector<std::uint8_t>(65536),
                                  device::IspWriteMode::Program));
}

TEST_F(SelfDriver, CountsAreZeroWithoutTheDriverAndSendNothing) {
    EXPECT_EQ(sd::GetDeviceCount(bench.context), 0);
    EXPECT_EQ(sd::GetSlotCount(bench.context), 0);
    EXPECT_TRUE(bench.kernel.ios.empty());
    EXPECT_EQ(bench.console.text, "Loading HvBrdg.Sys is Failed!\nLoading HvBrdg.Sys is Failed!\n");
}

TEST_F(SelfDriver, CountsTravelOnTheDriveHandleAfterAProbe) {
    LoadDriver();
    bench.kernel.openable["\\\\.\\E:"] = DriveE;
    ASSERT_TRUE(device::pass_through::OpenDrive(bench.context, 'E'));
    std::uint8_t scsiStatus = 0;
    bench.kernel.onIo = [&](const IoCall&, std::span<std::uint8_t> output) {
        output[platform::pass_through::ScsiStatusOffset] = scsiStatus;
        output[80] = 3;
        return true;
    };

    EXPECT_EQ(sd::GetDeviceCount(bench.context), 3);
    const IoCall& call = bench.kernel.ios.back();
    EXPECT_EQ(call.handle, DriveE);
    EXPECT_EQ(call.input.size(), 44u);
    EXPECT_EQ(call.outputLength, 88u);
    EXPECT_EQ(Hex(std::span(call.input).subspan(28, 12)), "ff 01 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(sd::GetSlotCount(bench.context), 3);
    EXPECT_EQ(bench.kernel.ios.back().input[29], 0x02);
    // The probe leaves no driver handle open.
    EXPECT_EQ(bench.state->selfDriverHandle, 0u);

    scsiStatus = 2;
    EXPECT_EQ(sd::GetDeviceCount(bench.context), 0);
}

}  // namespace
}  // namespace kestrix::device_test
