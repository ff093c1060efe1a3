#pragma once

#include <cstddef>
#include <string>

namespace kestrix::platform {

// Dialog templates and the controls the logic touches.
inline constexpr int MainDialogId = 102;
inline constexpr int StatusDialogId = 131;

enum class MessageIcon { None, Error, Information };
enum class DialogResult { Ok, Cancel };

// The window operations the logic performs. Dialog 102 is the main dialog; dialog 131
// addresses the status dialog created last (only one run is in progress at a time).
class Window {
  public:
    virtual ~Window() = default;

    virtual void SetItemText(int dialogId, int controlId, const std::string& text) = 0;
    [[nodiscard]] virtual std::string GetItemText(int dialogId, int controlId) = 0;

    // Combo boxes of the main dialog. Sorted combo boxes place an added entry in order.
    virtual void ComboResetContent(int controlId) = 0;
    virtual void ComboAddString(int controlId, const std::string& text) = 0;
    virtual void ComboSetCurSel(int controlId, int index) = 0;
    // Text of the selected entry, cut to `limit` characters; empty when none is selected.
    [[nodiscard]] virtual std::string ComboGetSelectedText(int controlId, std::size_t limit) = 0;

    // Modal message box with one OK button; returns when it has been answered.
    virtual void MessageBox(const std::string& text, const std::string& caption,
                            MessageIcon icon) = 0;

    // Creates a new, hidden status dialog (template 131) with its working progress bar at 0.
    virtual void CreateStatusDialog() = 0;
    virtual void ShowWindow(int dialogId, bool show) = 0;

    // The status dialog's working progress bar.
    virtual void SetProgressRange(int low, int high) = 0;
    virtual void SetProgressStep(int step) = 0;
    virtual void StepProgress() = 0;

    // Ends the modal main dialog.
    virtual void EndDialog(DialogResult result) = 0;
};

}  // namespace kestrix::platform
