// Any world file must be parsed or refused with a message, never crash; a world that parses
// must start a simulated host.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/sim/sim_host.h"
#include "platform/sim/world.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrix;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    sim::WorldLoadResult result = sim::ParseWorld(text, "fuzz.json");
    if (!result.world) {
        if (result.error.empty()) __builtin_trap();
        return 0;
    }
    sim::SimHost host(*result.world);
    (void)host.GetLogicalDrives();
    return 0;
}
