#pragma once

#include <nlohmann/json.hpp>

#include "app/system.h"

namespace kestrix::cli {

// The application state as JSON for --state: the flags and texts, the counters, the
// device configuration and the device table. Bytes are lower-case hex with single blanks.
[[nodiscard]] nlohmann::json StateToJson(const app::System& system);

}  // namespace kestrix::cli
