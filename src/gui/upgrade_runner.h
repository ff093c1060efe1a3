#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "gui/qt_window.h"

namespace kestrix::gui {

inline constexpr int ExitOk = 0;
inline constexpr int ExitUsage = 2;

// Runs kestrix-upgrade with `arguments` (without the program name and the toolkit's own
// options): reads the world, shows the main dialog and returns when it has ended. The tool's
// standard output goes to `out`; usage and world-file errors go to `err`. Needs a
// QApplication.
[[nodiscard]] int RunUpgrade(const std::vector<std::string>& arguments, std::ostream& out,
                             std::ostream& err, MessageBoxPresenter presenter = PresentMessageBox);

}  // namespace kestrix::gui
