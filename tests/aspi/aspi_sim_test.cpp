#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "device/aspi_discovery.h"
#include "device/aspi_reidentify.h"
#include "device/aspi_transport.h"
#include "device/device_table_ops.h"
#include "fake_aspi_host.h"
#include "platform/sim/sim_host.h"

// The ASPI transport against the simulated host, whose ASPI completes on a thread of its own
// and refuses any request block it cannot decode.
namespace kestrix::aspi_test {
namespace {

namespace aspi = device::aspi;

sim::World WinMeWorld() {
    sim::World world;
    world.version = *sim::VersionOfOs("winme");
    world.aspi = sim::AspiConfig{.adapters = 2};
    sim::Reader reader;
    reader.inquiryVendor = "Kestrix";
    reader.inquiryProduct = "Card Reader";
    reader.inquiryRevision = "1.00";
    reader.serial = "000000000042";
    reader.slots = {'E', 'F'};
    reader.aspi = sim::AspiAddress{.adapter = 1, .targets = {0, 1}};
    world.devices.push_back(reader);
    return world;
}

class AspiSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ReaderIdentity identity;  // Kestrix / Card Reader / 1.00
        config.inquiryIdentityFb = IdentityFor(identity);
        device::ResetDeviceTable(context);
    }

    sim::SimHost sim{WinMeWorld()};
    FakeConsole console;
    platform::WindowModel window;
    platform::Host host{sim, sim, sim, sim, console, window, sim.Memory()};
    core::AppState app{.osKind = core::OsKind::WinMe};
    image::DeviceConfig config;
    std::unique_ptr<device::DeviceState> state = std::make_unique<device::DeviceState>();
    device::DeviceContext context{host, app, config, *state};
};

TEST_F(AspiSimTest, DiscoversReidentifiesAndEntersIsp) {
    ASSERT_EQ(device::DiscoverAspi(context, true), 0);
    const device::DeviceRecord& record = state->table.records[0];
    EXPECT_EQ(state->table.deviceCount, 1u);
    EXPECT_EQ(record.slotCount, 2);
    EXPECT_EQ(record.aspiAdapter, 1);
    EXPECT_EQ(record.aspiTarget, 0);
    EXPECT_EQ(record.driveLetters, (std::array<std::uint8_t, 5>{'E', 'F', 0, 0, 0}));
    EXPECT_EQ(sim.LoadedLibraryCount(), 0u);

    ASSERT_EQ(aspi::LoadAspi(context), aspi::LoadSucceeded);
    EXPECT_EQ(device::ReidentifyAspiDevice(context, record.aspiAdapter, record.aspiTarget), 0);
    EXPECT_TRUE(aspi::JumpToIsp(context, record.aspiAdapter, record.aspiTarget));
    std::uint8_t status = 0;
    EXPECT_TRUE(aspi::GetIspStatus(context, record.aspiAdapter, record.aspiTarget, status));
    EXPECT_EQ(status, device::StatusInIsp);
    aspi::UnloadAspi(context);

    EXPECT_EQ(sim.LoadedLibraryCount(), 0u);
    EXPECT_TRUE(window.Events().empty());
    EXPECT_EQ(sim.Rejections(), std::vector<std::string>{});
    for (const std::uint32_t sleep : sim.Sleeps()) EXPECT_TRUE(sleep == 10 || sleep == 100);
}

TEST_F(AspiSimTest, ARequestTheLibraryRefusesStillCompletes) {
    ASSERT_EQ(aspi::LoadAspi(context), aspi::LoadSucceeded);
    // Adapter 7 does not exist.
    EXPECT_FALSE(aspi::JumpToIsp(context, 7, 0));
    EXPECT_EQ(device::ReidentifyAspiDevice(context, 7, 0), 1);
    aspi::UnloadAspi(context);
}

}  // namespace
}  // namespace kestrix::aspi_test
