#pragma once

#include "app/upgrade_dialog.h"
#include "gui/qt_window.h"

namespace kestrix::gui {

// Binds the main dialog's buttons, check boxes, combo boxes and keys to the dialog logic.
// The ISP and verify buttons have no command yet and stay unbound.
void BindDialogHandlers(QtWindow& window, app::UpgradeDialog& dialog);

}  // namespace kestrix::gui
