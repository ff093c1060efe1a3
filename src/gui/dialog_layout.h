#pragma once

#include <array>
#include <span>

namespace kestrix::gui {

// What kind of window a control of a dialog template is.
enum class ControlKind { PushButton, Static, Edit, ComboBox, CheckBox, GroupBox, ProgressBar };
enum class TextAlign { Left, Centre, Right };

// Controls without an id of their own (labels and frames nothing addresses).
inline constexpr int NoControlId = -1;

// One control of a dialog template: position and size in dialog units.
struct ControlTemplate {
    int id = NoControlId;
    ControlKind kind = ControlKind::Static;
    const char* caption = "";
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool visible = true;
    TextAlign align = TextAlign::Left;
    bool sunken = false;   // sunken (client) edge
    bool tabStop = false;  // push buttons only: reachable with the Tab key
};

struct DialogTemplate {
    const char* caption = "";
    int width = 0;
    int height = 0;
    std::span<const ControlTemplate> controls;  // in template order
};

// The main dialog (template 102) and the status dialog (template 131).
[[nodiscard]] DialogTemplate MainDialogTemplate();
[[nodiscard]] DialogTemplate StatusDialogTemplate();

// Id of the status dialog's working progress bar, laid over its placeholder control.
inline constexpr int WorkingProgressBarId = 333;
inline constexpr int ProgressPlaceholderId = 1015;

}  // namespace kestrix::gui
