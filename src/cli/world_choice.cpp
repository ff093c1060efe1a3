#include "cli/world_choice.h"

namespace kestrix::cli {

sim::WorldLoadResult ChooseWorld(const std::optional<std::filesystem::path>& worldFile) {
    if (!worldFile) return {.world = sim::DemoWorld(), .error = {}};
    return sim::LoadWorldFile(*worldFile);
}

}  // namespace kestrix::cli
