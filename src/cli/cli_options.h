#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrix::cli {

struct CliOptions {
    std::optional<std::filesystem::path> worldFile;
    std::filesystem::path workDir = ".";
    bool json = false;
    std::optional<std::filesystem::path> stateFile;
    std::optional<std::filesystem::path> traceFile;
    std::vector<std::string> actions;
};

struct ParsedOptions {
    std::optional<CliOptions> options;
    std::string error;  // set when options is empty
    bool help = false;
};

[[nodiscard]] ParsedOptions ParseCliOptions(const std::vector<std::string>& arguments);

// Whether `action` is one this version knows.
[[nodiscard]] bool IsKnownAction(const std::string& action);

extern const char* const CliUsage;

}  // namespace kestrix::cli
