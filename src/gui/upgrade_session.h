#pragma once

#include <filesystem>
#include <memory>
#include <ostream>

#include "app/system.h"
#include "app/upgrade_dialog.h"
#include "gui/qt_window.h"
#include "gui/stream_console.h"
#include "platform/host.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/world.h"

namespace kestrix::gui {

// One run of the desktop tool on the simulated host: the host, the window, the process state
// and the main dialog's logic bound to the window's controls.
class UpgradeSession {
  public:
    UpgradeSession(sim::World world, std::filesystem::path workDir, std::ostream& out,
                   MessageBoxPresenter presenter = PresentMessageBox);
    ~UpgradeSession();
    UpgradeSession(const UpgradeSession&) = delete;
    UpgradeSession& operator=(const UpgradeSession&) = delete;

    // Starts the dialog: false when it ended during start-up (a refused system).
    [[nodiscard]] bool Start();
    // Shows the started dialog until it ends.
    platform::DialogResult Run();

    [[nodiscard]] QtWindow& Window() { return window_; }
    [[nodiscard]] app::System& System() { return *system_; }
    [[nodiscard]] app::UpgradeDialog& Dialog() { return *dialog_; }

  private:
    sim::SimHost simHost_;
    StreamConsole console_;
    QtWindow window_;
    platform::Host host_;
    std::unique_ptr<app::System> system_;
    std::unique_ptr<app::UpgradeDialog> dialog_;
};

}  // namespace kestrix::gui
