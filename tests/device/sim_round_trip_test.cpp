#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/device_table_ops.h"
#include "device/discovery.h"
#include "device/open_transport.h"
#include "device/pass_through.h"
#include "device/port_driver.h"
#include "device/self_driver.h"
#include "fake_platform.h"
#include "fake_readers.h"
#include "platform/sim/sim_host.h"

// Discovery and the ISP commands of every driver-free and driver-based transport against the
// simulated host, which decodes the requests independently and refuses malformed ones.
namespace kestrix::device_test {
namespace {

using device::IspWriteMode;

sim::World TwoReaders(const char* os, std::set<std::string> drivers) {
    sim::World world;
    world.version = *sim::VersionOfOs(os);
    world.drivers = std::move(drivers);
    world.drives = {'C', 'D'};
    sim::Reader first;
    first.serial = "000000000001";
    first.slots = {'E', 'F'};
    sim::Reader second;
    second.serial = "000000000002";
    second.slots = {'G'};
    second.firmware = std::vector<std::uint8_t>(700, 0x3C);
    world.devices = {first, second};
    return world;
}

struct SimCase {
    const char* name;
    const char* os;
    core::OsKind osKind;
    std::int32_t selfDriverSel;
    std::int32_t usePortDriverB;
    const char* driverFile;
    std::set<std::string> drivers;
    // Sends JumpToIsp, GetIspStatus and both WriteIspBlock modes to the selected device;
    // gives the status after each write.
    std::function<std::vector<std::uint8_t>(device::DeviceContext&, std::span<const std::uint8_t>)>
        isp;
};

class SimRoundTrip : public ::testing::TestWithParam<SimCase> {
  protected:
    SimRoundTrip()
        : sim(TwoReaders(GetParam().os, GetParam().drivers)), host{sim,         sim,     sim,
                                                                   sim,         console, window,
                                                                   sim.Memory()} {
        app.osKind = GetParam().osKind;
        app.selfDriverSel = GetParam().selfDriverSel;
        app.usePortDriverB = GetParam().usePortDriverB;
        app.driverFileName = GetParam().driverFile;
        // The readers' default identity, as DEVICE.TXT would name it.
        config.inquiryIdentityFa = Padded<28>("        USB Reader      01.A");
    }

    sim::SimHost sim;
    CapturingConsole console;
    platform::WindowModel window;
    platform::Host host;
    core::AppState app;
    image::DeviceConfig config;
    std::unique_ptr<device::DeviceState> state = std::make_unique<device::DeviceState>();
    device::DeviceContext context{host, app, config, *state};
};

TEST_P(SimRoundTrip, DiscoversBothReadersAndProgramsTheSecond) {
    const bool driverBased =
        !GetParam().drivers.empty() && GetParam().osKind != core::OsKind::WinXP;
    if (driverBased) {
        ASSERT_EQ(device::OpenTransport(context), 0);
    }
    ASSERT_EQ(device::DiscoverDevices(context, false), 0);

    const device::DeviceTable& table = state->table;
    ASSERT_EQ(table.deviceCount, 2u);
    const auto& first = table.records[0];
    const auto& second = table.records[1];
    EXPECT_EQ(std::string(first.serialNumber.begin(), first.serialNumber.end()), "000000000001");
    EXPECT_EQ(std::string(second.serialNumber.begin(), second.serialNumber.end()), "000000000002");
    EXPECT_EQ(first.slotCount, 2);
    EXPECT_EQ(first.driveLetters, (std::array<std::uint8_t, 5>{'E', 'F', 0, 0, 0}));
    EXPECT_EQ(second.driveLetters, (std::array<std::uint8_t, 5>{'G', 0, 0, 0, 0}));
    EXPECT_EQ(first.hardwareCode, (std::array<std::uint8_t, 3>{0x10, 0x06, 0x43}));
    EXPECT_EQ(std::string(first.msFirmwareRevision.begin(), first.msFirmwareRevision.end()),
              "verM1.3a");
    EXPECT_TRUE(sim.Rejections().empty()) << sim.Rejections().front();

    state->table.selectedIndex = 1;
    const std::vector<std::uint8_t> image(700, 0x3C);
    const std::vector<std::uint8_t> statuses = GetParam().isp(context, image);
    EXPECT_EQ(statuses, (std::vector<std::uint8_t>{device::StatusInIsp, device::StatusBlockWritten,
                                                   device::StatusVerifyPass}));
    EXPECT_TRUE(sim.Rejections().empty()) << sim.Rejections().front();
    EXPECT_EQ(sim.OpenHandleCount(), 0u);
    EXPECT_EQ(sim.OpenRegistryKeyCount(), 0u);
}

// Runs the three ISP steps with the transport's own commands.
template <typename Jump, typename Status, typename Write>
std::vector<std::uint8_t> Isp(device::DeviceContext& context, Jump jump, Status status,
                              Write write) {
    std::vector<std::uint8_t> seen;
    std::uint8_t value = 0;
    if (!jump(context) || !status(context, value)) return seen;
    seen.push_back(value);
    for (const IspWriteMode mode : {IspWriteMode::Program, IspWriteMode::Verify}) {
        if (!write(context, mode) || !status(context, value)) return seen;
        seen.push_back(value);
    }
    return seen;
}

std::vector<std::uint8_t> PassThroughIsp(device::DeviceContext& c,
                                         std::span<const std::uint8_t> image) {
    namespace pt = device::pass_through;
    if (pt::OpenSelectedDrive(c) != 0) return {};
    const auto seen = Isp(c, pt::JumpToIsp, pt::GetIspStatus, [&](auto& ctx, IspWriteMode mode) {
        pt::StageIspData(ctx.state, image);
        const auto length = static_cast<std::uint32_t>(image.size());
        return pt::WriteIspBlock(ctx, length, device::PaddedLength(length), mode);
    });
    pt::CloseDrive(c);
    return seen;
}

std::vector<std::uint8_t> SelfDriverIsp(device::DeviceContext& c,
                                        std::span<const std::uint8_t> image) {
    namespace sd = device::self_driver;
    if (device::OpenSelfDriver(c, false) != 0) return {};
    const auto seen = Isp(c, sd::JumpToIsp, sd::GetIspStatus, [&](auto& ctx, IspWriteMode mode) {
        return sd::WriteIspBlock(ctx, image, mode);
    });
    device::CloseSelfDriver(c);
    return seen;
}

std::vector<std::uint8_t> PortDriverAIsp(device::DeviceContext& c,
                                         std::span<const std::uint8_t> image) {
    namespace pa = device::port_driver_a;
    const auto seen = Isp(c, pa::JumpToIsp, pa::GetIspStatus, [&](auto& ctx, IspWriteMode mode) {
        return pa::WriteIspBlock(ctx, image, mode);
    });
    device::ClosePortDriver(c);
    return seen;
}

std::vector<std::uint8_t> PortDriverBIsp(device::DeviceContext& c,
                                         std::span<const std::uint8_t> image) {
    namespace pb = device::port_driver_b;
    if (device::OpenTransport(c) != 0) return {};  // discovery closed it
    std::vector<std::uint8_t> padded(image.begin(), image.end());
    padded.resize(device::PaddedLength(static_cast<std::uint32_t>(image.size())));
    const auto seen = Isp(c, pb::JumpToIsp, pb::GetIspStatus, [&](auto& ctx, IspWriteMode mode) {
        return pb::WriteIspBlock(ctx, ctx.state.table.selectedIndex, padded,
                                 static_cast<std::uint32_t>(image.size()),
                                 static_cast<std::uint32_t>(padded.size()), mode);
    });
    device::ClosePortDriver(c);
    return seen;
}

INSTANTIATE_TEST_SUITE_P(
    Transports, SimRoundTrip,
    ::testing::Values(
        SimCase{"PassThroughXp",
                "winxp",
                core::OsKind::WinXP,
                1,
                0,
                "HVBRDG.SYS",
                {"HVBRDG"},
                PassThroughIsp},
        SimCase{
            "PassThrough2k", "win2k", core::OsKind::Win2K, 0, 0, "HVBRDG.SYS", {}, PassThroughIsp},
        SimCase{"PortDriverA98",
                "win98",
                core::OsKind::Win98,
                0,
                0,
                "QXDKPDRV.PDR",
                {"QXDKPDRV"},
                PortDriverAIsp},
        SimCase{"PortDriverAMe",
                "winme",
                core::OsKind::WinMe,
                1,
                0,
                "ZN_URDR.PDR",
                {"ZN_URDR"},
                PortDriverAIsp},
        SimCase{"PortDriverB98",
                "win98",
                core::OsKind::Win98,
                0,
                1,
                "QX20DISK.PDR",
                {"QX20DISK"},
                PortDriverBIsp}),
    [](const auto& info) { return std::string(info.param.name); });

// The self driver serves the first reader only, so its round trip selects device 0.
TEST(SimSelfDriver, DiscoversThroughBlockReadsAndProgramsThroughTheDriver) {
    sim::World world = TwoReaders("win2k", {"HVBRDG"});
    world.devices[0].firmware = std::vector<std::uint8_t>(700, 0x3C);
    sim::SimHost sim(world);
    CapturingConsole console;
    platform::WindowModel window;
    platform::Host host{sim, sim, sim, sim, console, window, sim.Memory()};
    core::AppState app;
    app.osKind = core::OsKind::Win2K;
    app.selfDriverSel = 1;
    app.driverFileName = "HVBRDG.SYS";
    image::DeviceConfig config;
    auto state = std::make_unique<device::DeviceState>();
    device::DeviceContext context{host, app, config, *state};

    ASSERT_EQ(device::OpenTransport(context), 0);
    ASSERT_EQ(device::DiscoverDevices(context, false), 0);
    EXPECT_EQ(state->table.deviceCount, 2u);
    EXPECT_EQ(state->table.records[0].driveLetters,
              (std::array<std::uint8_t, 5>{'E', 'F', 0, 0, 0}));

    const std::vector<std::uint8_t> image(700, 0x3C);
    EXPECT_EQ(SelfDriverIsp(context, image),
              (std::vector<std::uint8_t>{device::StatusInIsp, device::StatusBlockWritten,
                                         device::StatusVerifyPass}));
    EXPECT_TRUE(sim.Rejections().empty()) << sim.Rejections().front();
    EXPECT_EQ(sim.OpenHandleCount(), 0u);
    EXPECT_TRUE(console.text.empty());
}

}  // namespace
}  // namespace kestrix::device_test
