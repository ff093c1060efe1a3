// Any 528-byte device information answer, delivered by a reader on any transport row,
// must yield a record and a report without a crash.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/system.h"
#include "app/upgrade_dialog.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/world.h"
#include "platform/window_model.h"

namespace {

class SilentConsole : public kestrix::platform::Console {
  public:
    void WriteStdout(std::string_view) override {}
};

using kestrix::core::OsKind;

struct Row {
    const char* os;
    OsKind kind;
    bool selfDriver;
    const char* driver;
};

constexpr std::array<Row, 7> Rows = {{{"win98", OsKind::Win98, false, "QXDKPDRV.PDR"},
                                      {"win98", OsKind::Win98, false, "QX20DISK.PDR"},
                                      {"winme", OsKind::WinMe, false, ""},
                                      {"winme", OsKind::WinMe, true, "QXDKPDRV.PDR"},
                                      {"win2k", OsKind::Win2K, false, ""},
                                      {"win2k", OsKind::Win2K, true, "HVBRDG.SYS"},
                                      {"winxp", OsKind::WinXP, false, ""}}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrix;
    if (size < 1) return 0;
    const Row& row = Rows[data[0] % Rows.size()];

    sim::World world;
    world.version = *sim::VersionOfOs(row.os);
    world.drivers = {"HVBRDG", "QXDKPDRV", "QX20DISK"};
    world.aspi = sim::AspiConfig{};
    sim::Reader reader;
    reader.slots = {'E', 'F'};
    reader.aspi = sim::AspiAddress{0, {0, 1}};
    std::array<std::uint8_t, sim::InfoBlockSize> block{};
    for (std::size_t i = 0; i + 1 < size && i < block.size(); ++i) block[i] = data[i + 1];
    reader.infoBlock = block;
    world.devices.push_back(reader);

    sim::SimHost simHost(world);
    SilentConsole console;
    platform::WindowModel window;
    platform::Host host{simHost, simHost, simHost, simHost, console, window, simHost.Memory()};
    auto system = std::make_unique<app::System>(host, "/nonexistent");
    // Accept the default reader's inquiry identity.
    std::copy(sim::DefaultReaderInquiry.begin(), sim::DefaultReaderInquiry.end(),
              system->deviceConfig.inquiryIdentityFa.begin());
    system->app.osKind = row.kind;
    system->app.selfDriverSel = row.selfDriver ? 1 : 0;
    system->app.driverFileName = row.driver;
    app::UpgradeDialog dialog(*system);
    dialog.OnGetInfo();
    dialog.OnCloseButton();
    return 0;
}
