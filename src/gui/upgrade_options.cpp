#include "gui/upgrade_options.h"

namespace kestrix::gui {

const char* const UpgradeUsage = "usage: kestrix-upgrade [--world FILE] [--workdir DIR]\n";

ParsedUpgradeOptions ParseUpgradeOptions(const std::vector<std::string>& arguments) {
    UpgradeOptions options;
    ParsedUpgradeOptions result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.help = true;
            return result;
        }
        if (argument != "--world" && argument != "--workdir") {
            result.error = argument.starts_with("-") ? "unknown option " + argument
                                                     : "unexpected argument " + argument;
            return result;
        }
        if (i + 1 >= arguments.size()) {
            result.error = argument + " needs a value";
            return result;
        }
        const std::string& value = arguments[++i];
        if (argument == "--world") {
            options.worldFile = value;
        } else {
            options.workDir = value;
        }
    }
    result.options = std::move(options);
    return result;
}

}  // namespace kestrix::gui
