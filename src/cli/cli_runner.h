#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kestrix::cli {

inline constexpr int ExitOk = 0;
inline constexpr int ExitUsage = 2;

// Runs kestrix-cli with `arguments` (without the program name): start-up, then the actions
// in order. Events go to `out`, usage and world-file errors to `err`.
[[nodiscard]] int RunCli(const std::vector<std::string>& arguments, std::ostream& out,
                         std::ostream& err);

}  // namespace kestrix::cli
