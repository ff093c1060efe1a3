#pragma once

#include <filesystem>
#include <optional>

#include "platform/sim/world.h"

namespace kestrix::cli {

// The world a front end runs on: the one read from `worldFile` when one is given, else the
// demo world. On a bad file the result holds no world and the reason.
[[nodiscard]] sim::WorldLoadResult ChooseWorld(
    const std::optional<std::filesystem::path>& worldFile);

}  // namespace kestrix::cli
