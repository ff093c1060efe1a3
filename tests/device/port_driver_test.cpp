#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "device/open_transport.h"
#include "device/port_driver.h"
#include "device/routed_counts.h"
#include "fake_platform.h"

namespace kestrix::device_test {
namespace {

namespace pa = device::port_driver_a;
namespace pb = device::port_driver_b;

constexpr platform::Handle Driver = 0x2000;

struct OpenCase {
    const char* name;
    core::OsKind os;
    std::int32_t selfDriverSel;
    std::int32_t usePortDriverB;
    const char* file;
    std::optional<std::string> path;  // none: nothing is opened
    std::uint32_t flags;
    std::uint8_t result;
    std::uint32_t countCode;  // control code of the routed device count; 0 = not asked
};

class OpenTransport : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenTransport, OpensTheDriverOfTheActiveTransport) {
    Bench bench;
    const OpenCase& c = GetParam();
    bench.app.osKind = c.os;
    bench.app.selfDriverSel = c.selfDriverSel;
    bench.app.usePortDriverB = c.usePortDriverB;
    bench.app.driverFileName = c.file;
    for (const char* name : {"\\\\.\\QXDKPDRV", "\\\\.\\QX20DISK", "\\\\.\\HVBRDG"})
        bench.kernel.openable[name] = Driver;
    bench.kernel.onIo = [](const IoCall&, std::span<std::uint8_t>) { return true; };

    EXPECT_EQ(device::OpenTransport(bench.context), c.result);

    if (!c.path) {
        EXPECT_TRUE(bench.kernel.creates.empty());
    } else {
        ASSERT_FALSE(bench.kernel.creates.empty());
        const CreateCall& create = bench.kernel.creates[0];
        EXPECT_EQ(create.path, *c.path);
        EXPECT_EQ(create.access, platform::GenericRead | platform::GenericWrite);
        EXPECT_EQ(create.share, 0u);
        EXPECT_EQ(create.disposition, platform::OpenExisting);
        EXPECT_EQ(create.flags, c.flags);
    }

    bench.kernel.ios.clear();
    (void)device::RoutedDeviceCount(bench.context);
    if (c.countCode == 0) {
        EXPECT_TRUE(bench.kernel.ios.empty());
    } else {
        ASSERT_FALSE(bench.kernel.ios.empty());
        EXPECT_EQ(bench.kernel.ios.back().code, c.countCode);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Systems, OpenTransport,
    ::testing::Values(
        OpenCase{"Win98DialectA", core::OsKind::Win98, 0, 0, "QXDKPDRV.PDR", "\\\\.\\QXDKPDRV", 0,
                 0, 0x41},
        OpenCase{"Win98DialectB", core::OsKind::Win98, 0, 1, "QX20DISK.PDR", "\\\\.\\QX20DISK",
                 platform::FileFlagDeleteOnClose, 0, 0x42},
        OpenCase{"Win98MissingDriver", core::OsKind::Win98, 1, 0, "ZN_URDR.PDR", "\\\\.\\ZN_URDR",
                 0, 1, 0x41},
        // On ME the same file is spoken to in dialect A, without delete-on-close.
        OpenCase{"WinMeSelfDriverSel", core::OsKind::WinMe, 1, 1, "QX20DISK.PDR", "\\\\.\\QX20DISK",
                 0, 0, 0x41},
        OpenCase{"WinMeAspi", core::OsKind::WinMe, 0, 0, "QXDKPDRV.PDR", std::nullopt, 0, 1, 0},
        // A probe of the self driver; the count then goes to the drive handle.
        OpenCase{"Win2KSelfDriver", core::OsKind::Win2K, 1, 0, "HVBRDG.SYS", "\\\\.\\HVBRDG", 0, 0,
                 0x4D004},
        OpenCase{"Win2KPassThrough", core::OsKind::Win2K, 0, 0, "HVBRDG.SYS", std::nullopt, 0, 1,
                 0},
        OpenCase{"WinXP", core::OsKind::WinXP, 1, 1, "QX20DISK.PDR", std::nullopt, 0, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

class PortDriver : public ::testing::Test {
  protected:
    PortDriver() {
        bench.app.osKind = core::OsKind::Win98;
        bench.app.driverFileName = "QXDKPDRV.PDR";
        bench.kernel.openable["\\\\.\\QXDKPDRV"] = Driver;
    }

    Bench bench;
};

TEST_F(PortDriver, ReopeningClosesTheHandleLeftOpen) {
    ASSERT_EQ(device::OpenPortDriverA(bench.context), 0);
    ASSERT_EQ(device::OpenPortDriverB(bench.context), 0);
    EXPECT_EQ(bench.kernel.closed, std::vector<platform::Handle>{Driver});
    EXPECT_EQ(bench.kernel.OpenHandles().size(), 1u);
}

TEST_F(PortDriver, AFailedOpenLeavesNoHandle) {
    bench.app.driverFileName = "MISSING.PDR";
    bench.state->portDriverHandle = 0;
    EXPECT_EQ(device::OpenPortDriverA(bench.context), 1);
    EXPECT_EQ(bench.state->portDriverHandle, 0u);
}

// What the driver side saw of one request while it ran.
struct Seen {
    std::uint32_t code = 0;
    std::vector<std::uint8_t> request;
    std::size_t outputLength = 0;
    bool bufferResolves = false;  // the request's buffer token covers the expected length
};

struct RequestCase {
    const char* name;
    std::function<bool(device::DeviceContext&)> send;
    std::uint32_t code;
    std::size_t requestLength;
    std::size_t bufferOffset;  // of the token in the request
    std::size_t bufferLength;  // what the driver may touch through it
    std::size_t outputLength;
};

class PortRequests : public PortDriver, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(PortRequests, NameTheCallersBufferAndTheOutputLength) {
    ASSERT_EQ(device::OpenPortDriverA(bench.context), 0);
    bench.state->table.selectedIndex = 2;
    Seen seen;
    bench.kernel.onIo = [&](const IoCall& call, std::span<std::uint8_t>) {
        seen = {call.code, call.input, call.outputLength,
                !bench.Resolve(Word(call.input, GetParam().bufferOffset), GetParam().bufferLength)
                     .empty()};
        return true;
    };
    ASSERT_TRUE(GetParam().send(bench.context));
    EXPECT_EQ(bench.kernel.ios.back().handle, Driver);
    EXPECT_EQ(seen.code, GetParam().code);
    EXPECT_EQ(seen.request.size(), GetParam().requestLength);
    EXPECT_EQ(seen.outputLength, GetParam().outputLength);
    EXPECT_TRUE(seen.bufferResolves);
}

std::vector<std::uint8_t> Buffer(std::size_t size) {
    return std::vector<std::uint8_t>(size);
}

INSTANTIATE_TEST_SUITE_P(
    DialectA, PortRequests,
    ::testing::Values(
        RequestCase{"ReadBlocks",
                    [](auto& c) {
                        auto b = Buffer(1024);
                        return pa::ReadBlocks(c, b, device::InfoBlockAddress, 2);
                    },
                    0x41, 16, 12, 1024, 1024},
        RequestCase{"ReadBlocksAlt",
                    [](auto& c) {
                        auto b = Buffer(512);
                        return pa::ReadBlocksAlt(c, b, device::InfoBlockAddress, 1);
                    },
                    0x41, 16, 12, 512, 512},
        RequestCase{
            "WriteBlocks",
            [](auto& c) { return pa::WriteBlocks(c, Buffer(512), device::InfoBlockAddress, 1); },
            0x41, 16, 12, 512, 0},
        RequestCase{"GetDeviceCount", [](auto& c) { return pa::GetDeviceCount(c) == 0; }, 0x41, 16,
                    12, 8, 8},
        RequestCase{"GetSlotCount", [](auto& c) { return pa::GetSlotCount(c) == 0; }, 0x41, 16, 12,
                    8, 8},
        // The record is written through the token although the call names one byte.
        RequestCase{"ReadFirmwareRevision",
                    [](auto& c) {
                        auto b = Buffer(8);
                        return pa::ReadFirmwareRevision(c, b);
                    },
                    0x41, 16, 12, 8, 1},
        RequestCase{"JumpToIsp", [](auto& c) { return pa::JumpToIsp(c); }, 0x41, 16, 12, 1, 1},
        RequestCase{"GetIspStatus",
                    [](auto& c) {
                        std::uint8_t s = 0;
                        return pa::GetIspStatus(c, s);
                    },
                    0x41, 16, 12, 1, 1},
        RequestCase{"WriteIspBlock",
                    [](auto& c) {
                        return pa::WriteIspBlock(c, Buffer(700), device::IspWriteMode::Program);
                    },
                    0x41, 16, 12, 700, 0}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    DialectB, PortRequests,
    ::testing::Values(
        RequestCase{"GetDeviceCount", [](auto& c) { return pb::GetDeviceCount(c) == 0; }, 0x42, 16,
                    12, 8, 8},
        RequestCase{"GetSlotCount", [](auto& c) { return pb::GetSlotCount(c) == 0; }, 0x42, 16, 12,
                    8, 8},
        RequestCase{"ReadDeviceInfo",
                    [](auto& c) {
                        auto b = Buffer(528);
                        return pb::ReadDeviceInfo(c, 1, b);
                    },
                    0x42, 40, 36, 528, 528},
        // No data, yet a buffer is named, as in every request of this dialect.
        RequestCase{"JumpToIsp", [](auto& c) { return pb::JumpToIsp(c); }, 0x42, 40, 36, 1, 0},
        // 28 bytes come back through the token, the call names 8.
        RequestCase{"GetIspStatus",
                    [](auto& c) {
                        std::uint8_t s = 0;
                        return pb::GetIspStatus(c, s);
                    },
                    0x42, 40, 36, 28, 8},
        RequestCase{"WriteIspBlock",
                    [](auto& c) {
                        return pb::WriteIspBlock(c, 1, Buffer(65536), 700, 1024,
                                                 device::IspWriteMode::Verify);
                    },
                    0x42, 40, 36, 1024, 1024}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortDriver, DialectAAddressesTheSelectedDeviceExceptForTheDeviceCount) {
    bench.state->table.selectedIndex = 2;
    bench.kernel.onIo = [](const IoCall&, std::span<std::uint8_t>) { return true; };
    (void)pa::GetSlotCount(bench.context);
    EXPECT_EQ(Word(bench.kernel.ios.back().input, 8), 0x02000000u);
    (void)pa::GetDeviceCount(bench.context);
    EXPECT_EQ(Word(bench.kernel.ios.back().input, 8), 0u);
    ASSERT_TRUE(pa::JumpToIsp(bench.context));
    EXPECT_EQ(Word(bench.kernel.ios.back().input, 8), 0x02000000u);
}

TEST_F(PortDriver, DialectBNamesTheSelectedDeviceForJumpAndStatusAndTheCallersForTheRest) {
    bench.state->table.selectedIndex = 3;
    bench.config.romSelectCode = 0x21;
    bench.kernel.onIo = [](const IoCall&, std::span<std::uint8_t>) { return true; };
    std::uint8_t status = 0;
    ASSERT_TRUE(pb::JumpToIsp(bench.context));
    EXPECT_EQ(Word(bench.kernel.ios.back().input, 4), 3u);
    ASSERT_TRUE(pb::GetIspStatus(bench.context, status));
    EXPECT_EQ(Word(bench.kernel.ios.back().input, 4), 3u);
    ASSERT_TRUE(
        pb::WriteIspBlock(bench.context, 1, Buffer(512), 512, 512, device::IspWriteMode::Program));
    EXPECT_EQ(Word(bench.kernel.ios.back().input, 4), 1u);
    EXPECT_EQ(bench.kernel.ios.back().input[12 + 3], 0x21);  // the ROM select code
}

TEST_F(PortDriver, AnswersWrittenThroughTheRequestReachTheCaller) {
    bench.kernel.onIo = [&](const IoCall& call, std::span<std::uint8_t>) {
        const bool dialectB = call.input.size() == 40;
        const std::uint32_t token = Word(call.input, dialectB ? 36 : 12);
        const std::size_t length = dialectB ? 28 : 8;
        const auto answer = bench.Resolve(token, length);
        if (answer.empty()) return false;
        for (std::size_t i = 0; i < answer.size(); ++i)
            answer[i] = static_cast<std::uint8_t>(0x90 + i);
        return true;
    };
    std::array<std::uint8_t, 8> revision{};
    ASSERT_TRUE(pa::ReadFirmwareRevision(bench.context, revision));
    EXPECT_EQ(revision,
              (std::array<std::uint8_t, 8>{0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97}));
    EXPECT_EQ(pa::GetDeviceCount(bench.context), 0x90);
    std::uint8_t status = 0;
    ASSERT_TRUE(pb::GetIspStatus(bench.context, status));
    EXPECT_EQ(status, 0x90);
}

TEST_F(PortDriver, FailedRequestsAnswerFalseOrZeroAndLeaveBuffersAlone) {
    bench.kernel.onIo = [&](const IoCall& call, std::span<std::uint8_t>) {
        // The driver writes, then reports failure.
        const auto answer = bench.Resolve(Word(call.input, call.input.size() == 40 ? 36 : 12), 1);
        if (!answer.empty()) answer[0] = 0x9C;
        return false;
    };
    std::uint8_t status = 0;
    EXPECT_FALSE(pa::GetIspStatus(bench.context, status));
    EXPECT_EQ(status, 0x9C);  // handed over, meaningless
    EXPECT_EQ(pa::GetDeviceCount(bench.context), 0);
    EXPECT_EQ(pb::GetDeviceCount(bench.context), 0);
    EXPECT_EQ(pb::GetSlotCount(bench.context), 0);
    std::vector<std::uint8_t> block(528, 0xEE);
    EXPECT_FALSE(pa::ReadBlocksAlt(bench.context, block, device::InfoBlockAddress, 1));
    EXPECT_FALSE(pb::ReadDeviceInfo(bench.context, 0, block));
    EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](auto b) { return b == 0xEE; }));
}

TEST_F(PortDriver, RequestsBeyondTheCallersBuffersAreRefusedWithoutSending) {
    bench.kernel.onIo = [](const IoCall&, std::span<std::uint8_t>) { return true; };
    std::vector<std::uint8_t> small(511);
    EXPECT_FALSE(pa::ReadBlocks(bench.context, small, device::InfoBlockAddress, 1));
    EXPECT_FALSE(pa::WriteBlocks(bench.context, small, device::InfoBlockAddress, 1));
    EXPECT_FALSE(pb::ReadDeviceInfo(bench.context, 0, small));
    EXPECT_FALSE(pa::WriteIspBlock(bench.context, Buffer(65537), device::IspWriteMode::Program));
    EXPECT_FALSE(pb::WriteIspBlock(bench.context, 0, Buffer(1000), 1000, 1024,
                                   device::IspWriteMode::Program));
    EXPECT_FALSE(pb::WriteIspBlock(bench.context, 0, Buffer(70000), 65536, 65536 + 512,
                                   device::IspWriteMode::Program));
    EXPECT_TRUE(bench.kernel.ios.empty());
}

}  // namespace
}  // namespace kestrix::device_test
