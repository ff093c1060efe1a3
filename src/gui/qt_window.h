#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "gui/main_dialog_widget.h"
#include "gui/status_dialog.h"
#include "platform/window.h"

namespace kestrix::gui {

// Shows a message box and returns when it has been answered. The parent is the window the
// box belongs to, or none before the main dialog is shown.
using MessageBoxPresenter =
    std::function<void(QWidget* parent, const std::string& text, const std::string& caption,
                       platform::MessageIcon icon)>;

// The real message box: caption, text, icon and one OK button.
void PresentMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                       platform::MessageIcon icon);

// The dialogs on Qt Widgets. The main dialog's controls call the handlers bound to them; a
// handler runs to completion before the next one starts. Needs a QApplication.
class QtWindow : public platform::Window {
  public:
    explicit QtWindow(MessageBoxPresenter presenter = PresentMessageBox);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    // Binds a push button's or check box's click, or a combo box's selection by the user.
    void BindControl(int controlId, std::function<void()> handler);
    void BindKeys(std::function<void()> enter, std::function<void()> escape);

    // Shows the main dialog and returns when it has ended (at once if it already has).
    platform::DialogResult Exec();

    [[nodiscard]] MainDialogWidget& MainDialog() { return *main_; }
    [[nodiscard]] QWidget* MainControl(int controlId) const { return main_->Control(controlId); }
    // The status dialog of the latest run; none before the first run.
    [[nodiscard]] StatusDialog* CurrentStatusDialog() const { return status_; }
    [[nodiscard]] std::optional<platform::DialogResult> Ended() const { return ended_; }

    void SetItemText(int dialogId, int controlId, const std::string& text) override;
    std::string GetItemText(int dialogId, int controlId) override;
    void ComboResetContent(int controlId) override;
    void ComboAddString(int controlId, const std::string& text) override;
    void ComboSetCurSel(int controlId, int index) override;
    std::string ComboGetSelectedText(int controlId, std::size_t limit) override;
    void MessageBox(const std::string& text, const std::string& caption,
                    platform::MessageIcon icon) override;
    void CreateStatusDialog() override;
    void ShowWindow(int dialogId, bool show) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressStep(int step) override;
    void StepProgress() override;
    void EndDialog(platform::DialogResult result) override;

  private:
    // Runs a handler unless another one is still running (a nested event loop, such as a
    // message box's, must not start a second command).
    // False when the handler did not run.
    bool Dispatch(const std::function<void()>& handler);
    // Lets the dialogs repaint while a command keeps the event loop busy.
    void Repaint();

    MessageBoxPresenter presenter_;
    std::unique_ptr<MainDialogWidget> main_;
    StatusDialog* status_ = nullptr;  // owned by the main dialog
    std::optional<platform::DialogResult> ended_;
    bool busy_ = false;
};

}  // namespace kestrix::gui
