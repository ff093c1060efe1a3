#include "cli/cli_runner.h"

#include <fstream>
#include <memory>
#include <optional>

#include "app/system.h"
#include "app/upgrade_dialog.h"
#include "cli/cli_options.h"
#include "cli/event_printer.h"
#include "cli/state_json.h"
#include "cli/world_choice.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/world.h"
#include "platform/window_model.h"
#include "trace/tracing_host.h"

namespace kestrix::cli {

namespace {

// Runs one action on the dialog. False when the action could not be carried out (an entry
// that is not in the list), which the front end reports and then goes on.
bool RunAction(const std::string& action, app::UpgradeDialog& dialog, platform::WindowModel& window,
               EventPrinter& printer) {
    const auto choose = [&](int control, const std::string& text, const char* listName) {
        if (!window.ChooseComboEntry(control, text)) {
            printer.OnNotice(std::string("no ") + listName + " entry \"" + text + "\"");
            return false;
        }
        return true;
    };
    if (action == "getinfo") {
        dialog.OnGetInfo();
    } else if (action == "userispinfo") {
        dialog.OnUserIspInfo();
    } else if (action == "close") {
        dialog.OnCloseButton();
    } else if (action == "enter") {
        dialog.OnEnter();
    } else if (action == "escape") {
        dialog.OnEscape();
    } else if (action == "isp-ena") {
        dialog.OnIspEna();
    } else if (action == "ms-fw") {
        dialog.OnIspMsFw();
    } else if (action == "self-driver") {
        dialog.OnSelfDriverSel();
    } else if (action.starts_with("device=")) {
        if (!choose(1030, action.substr(7), "Device Sel")) return false;
        dialog.OnDeviceSelChange();
    } else if (action.starts_with("driver=")) {
        if (!choose(1027, action.substr(7), "Driver Select")) return false;
        dialog.OnDriverSelectChange();
    }
    return true;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const ParsedOptions parsed = ParseCliOptions(arguments);
    if (parsed.help) {
        out << CliUsage;
        return ExitOk;
    }
    if (!parsed.options) {
        err << "kestrix-cli: " << parsed.error << "\n" << CliUsage;
        return ExitUsage;
    }
    const CliOptions& options = *parsed.options;

    sim::WorldLoadResult loaded = ChooseWorld(options.worldFile);
    if (!loaded.world) {
        err << "kestrix-cli: " << loaded.error << "\n";
        return ExitUsage;
    }
    sim::World world = std::move(*loaded.world);

    EventPrinter printer(out, options.json);
    PrinterConsole console(printer);
    platform::WindowModel window;
    window.SetObserver([&](const platform::WindowEvent& event) { printer.OnWindowEvent(event); });
    std::ofstream traceFile;
    if (options.traceFile) {
        traceFile.open(*options.traceFile);
        if (!traceFile) {
            err << "kestrix-cli: cannot write the trace file " << options.traceFile->string()
                << "\n";
            return ExitUsage;
        }
    }
    sim::SimHost simHost(std::move(world));
    // With --trace every kernel, registry and module call passes through the tracer.
    std::optional<trace::TracingHost> tracing;
    if (options.traceFile) tracing.emplace(simHost, simHost, simHost, traceFile);
    platform::Kernel& kernel = tracing ? tracing->Kernel() : simHost;
    platform::Registry& registry = tracing ? tracing->Registry() : simHost;
    platform::Modules& modules = tracing ? tracing->Modules() : simHost;
    platform::Host host{kernel, registry, modules, simHost, console, window, simHost.Memory()};

    auto system = std::make_unique<app::System>(host, options.workDir);
    app::UpgradeDialog dialog(*system);
    if (dialog.OnInitDialog()) {
        for (const std::string& action : options.actions) {
            if (window.Ended()) break;
            printer.OnAction(action);
            (void)RunAction(action, dialog, window, printer);
        }
    }

    if (options.stateFile) {
        nlohmann::json state = StateToJson(*system);
        state["simulation"] = simHost.StateJson();
        std::ofstream file(*options.stateFile);
        file << state.dump(2) << "\n";
        if (!file) {
            err << "kestrix-cli: cannot write the state file " << options.stateFile->string()
                << "\n";
            return ExitUsage;
        }
    }
    return ExitOk;
}

}  // namespace kestrix::cli
