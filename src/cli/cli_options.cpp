#include "cli/cli_options.h"

#include <array>
#include <string_view>

namespace kestrix::cli {

const char* const CliUsage =
    "usage: kestrix-cli [--world FILE] [--workdir DIR] [--json] [--state FILE] [--trace FILE]\n"
    "                   [ACTION...]\n"
    "actions, run in order after start-up:\n"
    "  getinfo userispinfo close enter escape   press that button or key\n"
    "  isp-ena ms-fw self-driver                 click that check box\n"
    "  device=TEXT                               choose that Device Sel entry\n"
    "  driver=NAME                               choose that Driver Select entry\n";

namespace {

constexpr std::array<std::string_view, 8> PlainActions = {
    "getinfo", "userispinfo", "close", "enter", "escape", "isp-ena", "ms-fw", "self-driver"};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool IsKnownAction(const std::string& action) {
    for (std::string_view known : PlainActions) {
        if (action == known) return true;
    }
    return StartsWith(action, "device=") || StartsWith(action, "driver=");
}

ParsedOptions ParseCliOptions(const std::vector<std::string>& arguments) {
    CliOptions options;
    ParsedOptions result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&](std::string_view name) -> std::optional<std::string> {
            if (i + 1 >= arguments.size()) {
                result.error = std::string(name) + " needs a value";
                return std::nullopt;
            }
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h") {
            result.help = true;
            return result;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--world") {
            auto v = value(argument);
            if (!v) return result;
            options.worldFile = *v;
        } else if (argument == "--workdir") {
            auto v = value(argument);
            if (!v) return result;
            options.workDir = *v;
        } else if (argument == "--state") {
            auto v = value(argument);
            if (!v) return result;
            options.stateFile = *v;
        } else if (argument == "--trace") {
            auto v = value(argument);
            if (!v) return result;
            options.traceFile = *v;
        } else if (StartsWith(argument, "--")) {
            result.error = "unknown option " + argument;
            return result;
        } else if (!IsKnownAction(argument)) {
            result.error = "unknown action " + argument;
            return result;
        } else {
            options.actions.push_back(argument);
        }
    }
    result.options = std::move(options);
    return result;
}

}  // namespace kestrix::cli
