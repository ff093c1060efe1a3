#pragma once

#include <QWidget>
#include <map>
#include <string>

#include "gui/dialog_layout.h"
#include "gui/dialog_units.h"

namespace kestrix::gui {

// Creates the controls of `dialog` as children of `parent`, placed and shown as the template
// says. Returns the controls that have an id, by id.
[[nodiscard]] std::map<int, QWidget*> BuildControls(QWidget& parent, const DialogTemplate& dialog,
                                                    const DialogUnits& units);

// A control's text (a label's text, an edit's contents, a button's or a frame's caption).
// Texts are plain: nothing in them is taken as markup.
void SetControlText(QWidget& control, const std::string& text);
[[nodiscard]] std::string ControlText(const QWidget& control);

}  // namespace kestrix::gui
