#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrix::gui {

struct UpgradeOptions {
    std::optional<std::filesystem::path> worldFile;
    std::filesystem::path workDir = ".";
};

struct ParsedUpgradeOptions {
    std::optional<UpgradeOptions> options;
    std::string error;  // set when options is empty and help is not asked for
    bool help = false;
};

// Reads the command line of kestrix-upgrade (without the program name).
[[nodiscard]] ParsedUpgradeOptions ParseUpgradeOptions(const std::vector<std::string>& arguments);

extern const char* const UpgradeUsage;

}  // namespace kestrix::gui
