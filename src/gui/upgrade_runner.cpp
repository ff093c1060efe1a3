#include "gui/upgrade_runner.h"

#include "cli/world_choice.h"
#include "gui/upgrade_options.h"
#include "gui/upgrade_session.h"

namespace kestrix::gui {

int RunUpgrade(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
               MessageBoxPresenter presenter) {
    const ParsedUpgradeOptions parsed = ParseUpgradeOptions(arguments);
    if (parsed.help) {
        out << UpgradeUsage;
        return ExitOk;
    }
    if (!parsed.options) {
        err << "kestrix-upgrade: " << parsed.error << "\n" << UpgradeUsage;
        return ExitUsage;
    }
    sim::WorldLoadResult loaded = cli::ChooseWorld(parsed.options->worldFile);
    if (!loaded.world) {
        err << "kestrix-upgrade: " << loaded.error << "\n";
        return ExitUsage;
    }
    UpgradeSession session(std::move(*loaded.world), parsed.options->workDir, out,
                           std::move(presenter));
    if (session.Start()) (void)session.Run();
    return ExitOk;
}

}  // namespace kestrix::gui
