#include "platform/sim/world.h"

#include <algorithm>
#include <array>

#include "platform/sim/world_defaults.h"

namespace kestrix::sim {

namespace {

constexpr std::array<std::string_view, CommandCount> CommandNames = {
    "Inquiry",     "ReadDeviceInfo", "ReadBlocksAlt", "ReadBlocks",
    "WriteBlocks", "GetDeviceCount", "GetSlotCount",  "ReadFirmwareRevision",
    "JumpToIsp",   "GetIspStatus",   "WriteIspBlock",
};

struct OsVersion {
    std::string_view name;
    std::uint32_t version;
};

// Low byte major, next byte minor; the 9x family sets the top bit, the NT family carries
// its build number in the high word.
constexpr std::array<OsVersion, 8> OsVersions = {{
    {"win95", 0x80000004u},
    {"win98", 0x80000A04u},
    {"winme", 0x80005A04u},
    {"nt4", 0x05650004u},
    {"win2k", 0x08930005u},
    {"winxp", 0x0A280105u},
    {"win2003", 0x0ECE0205u},
    {"vista", 0x17700006u},
}};

}  // namespace

std::string_view CommandName(Command command) {
    return CommandNames[static_cast<std::size_t>(command)];
}

std::optional<Command> CommandFromName(std::string_view name) {
    const auto it = std::find(CommandNames.begin(), CommandNames.end(), name);
    if (it == CommandNames.end()) return std::nullopt;
    return static_cast<Command>(it - CommandNames.begin());
}

std::optional<std::uint32_t> VersionOfOs(std::string_view os) {
    for (const OsVersion& entry : OsVersions) {
        if (entry.name == os) return entry.version;
    }
    return std::nullopt;
}

World DemoWorld() {
    World world;
    world.version = *VersionOfOs("winxp");
    world.drives = {'C', 'D'};
    Reader reader;
    reader.slots = {'E'};
    // The family of the firmware file the demo configuration names (FW2035.BIN).
    reader.hardwareCode = {0x20, 0x35, 0x41};
    world.devices.push_back(reader);
    FillWorldDefaults(world);
    return world;
}

void FillWorldDefaults(World& world) {
    std::set<char> used(world.drives.begin(), world.drives.end());
    for (const Reader& reader : world.devices)
        used.insert(reader.slots.begin(), reader.slots.end());
    char next = 'E';
    for (Reader& reader : world.devices) {
        if (!reader.slots.empty()) continue;
        while (next <= 'Z' && used.count(next) != 0) ++next;
        if (next > 'Z') break;
        reader.slots.push_back(next);
        used.insert(next);
    }

    // Through ASPI a reader is a host adapter of its own with its slots as targets 0, 1, ...
    // Readers without an address take the next adapters that no address names.
    std::set<std::uint8_t> adaptersInUse;
    for (const Reader& reader : world.devices) {
        if (reader.aspi) adaptersInUse.insert(reader.aspi->adapter);
    }
    std::uint8_t adapter = 0;
    for (Reader& reader : world.devices) {
        if (reader.aspi) continue;
        if (adaptersInUse.size() > 0xFF) break;  // every adapter number is taken
        while (adaptersInUse.count(adapter) != 0) ++adapter;
        AspiAddress address;
        address.adapter = adapter;
        for (std::size_t slot = 0; slot < reader.slots.size() && slot <= MaxAspiTarget; ++slot)
            address.targets.push_back(static_cast<std::uint8_t>(slot));
        reader.aspi = address;
        adaptersInUse.insert(adapter);
    }
    if (world.aspi && !world.aspi->adaptersGiven && !adaptersInUse.empty()) {
        world.aspi->adapters = static_cast<std::uint8_t>(*adaptersInUse.rbegin() + 1);
    }
}

}  // namespace kestrix::sim
