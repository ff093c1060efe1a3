// The tool's own cost of a discovery over 24 drive letters with 10 readers attached, on the
// simulated host with its sleeps not slept.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

#include "app/system.h"
#include "device/discovery.h"
#include "device/open_transport.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/world.h"
#include "platform/window_model.h"

namespace {

using namespace kestrix;

class SilentConsole : public platform::Console {
  public:
    void WriteStdout(std::string_view) override {}
};

struct Row {
    const char* os;
    core::OsKind kind;
    int selfDriverSel;
    const char* driver;
};

constexpr Row Rows[] = {{"winxp", core::OsKind::WinXP, 0, ""},
                        {"win2k", core::OsKind::Win2K, 1, "HVBRDG.SYS"},
                        {"winme", core::OsKind::WinMe, 0, ""},
                        {"win98", core::OsKind::Win98, 0, "QXDKPDRV.PDR"}};

// Ten readers on E: to N:, plain drives on C:, D: and O: to Z:.
sim::World TenReadersWorld(const Row& row) {
    sim::World world;
    world.version = *sim::VersionOfOs(row.os);
    world.drivers = {"HVBRDG", "QXDKPDRV"};
    world.aspi = sim::AspiConfig{};
    world.drives = {'C', 'D'};
    for (char letter = 'O'; letter <= 'Z'; ++letter) world.drives.push_back(letter);
    for (int i = 0; i < 10; ++i) {
        sim::Reader reader;
        reader.serial = "KX00000000" + std::to_string(10 + i);
        reader.slots = {static_cast<char>('E' + i)};
        // Through ASPI each reader is a host adapter of its own, its slots the targets.
        reader.aspi = sim::AspiAddress{static_cast<std::uint8_t>(i), {0}};
        world.devices.push_back(reader);
    }
    world.aspi->adapters = 10;
    return world;
}

void BM_DiscoverTenReaders(benchmark::State& state) {
    const Row& row = Rows[state.range(0)];
    sim::SimHost simHost(TenReadersWorld(row));
    SilentConsole console;
    platform::WindowModel window;
    platform::Host host{simHost, simHost, simHost, simHost, console, window, simHost.Memory()};
    auto system = std::make_unique<app::System>(host, ".");
    std::copy(sim::DefaultReaderInquiry.begin(), sim::DefaultReaderInquiry.end(),
              system->deviceConfig.inquiryIdentityFa.begin());
    system->app.osKind = row.kind;
    system->app.selfDriverSel = row.selfDriverSel;
    system->app.driverFileName = row.driver;
    device::DeviceContext context = system->DeviceAccess();
    const bool usesDriver = row.kind == core::OsKind::Win98 || row.selfDriverSel != 0;
    for (auto _ : state) {
        if (usesDriver && device::OpenTransport(context) != 0) state.SkipWithError("no driver");
        const std::uint8_t result = device::DiscoverDevices(context, false);
        benchmark::DoNotOptimize(result);
        if (system->device.table.deviceCount != 10) state.SkipWithError("not all readers found");
    }
    state.SetLabel(row.os);
}
BENCHMARK(BM_DiscoverTenReaders)->DenseRange(0, 3);

}  // namespace
