#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace kestrix::platform {

// One window operation as the logic performed it. Which fields mean something depends on
// `kind`; the front ends print them and tests compare them.
struct WindowEvent {
    enum class Kind { MessageBox, SetText, Combo, Window, Progress, End };
    Kind kind = Kind::SetText;
    int dialog = 0;
    int control = 0;
    std::string
        op;  // combo: reset/add/select; window: create/show/hide; progress: range/step/stepit
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    int index = 0;     // combo select
    int low = 0;       // progress range
    int high = 0;      // progress range
    int step = 0;      // progress step
    int position = 0;  // progress position after stepit
    DialogResult result = DialogResult::Ok;
};

// A window without pixels: keeps the state of the main dialog's controls and of the status
// dialogs the way the real controls would, answers every message box with its only button,
// and reports each operation to an observer. The front ends and the tests drive the logic
// through it.
class WindowModel : public Window {
  public:
    using Observer = std::function<void(const WindowEvent&)>;

    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    void SetItemText(int dialogId, int controlId, const std::string& text) override;
    std::string GetItemText(int dialogId, int controlId) override;
    void ComboResetContent(int controlId) override;
    void ComboAddString(int controlId, const std::string& text) override;
    void ComboSetCurSel(int controlId, int index) override;
    std::string ComboGetSelectedText(int controlId, std::size_t limit) override;
    void MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void CreateStatusDialog() override;
    void ShowWindow(int dialogId, bool show) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressStep(int step) override;
    void StepProgress() override;
    void EndDialog(DialogResult result) override;

    // What a person does: choose a combo entry by its text. False when no entry has it.
    [[nodiscard]] bool ChooseComboEntry(int controlId, const std::string& text);

    struct Combo {
        std::vector<std::string> entries;  // in display (sorted) order
        int selected = -1;
    };
    struct StatusDialog {
        bool visible = false;
        std::map<int, std::string> texts;
        int low = 0;
        int high = 100;
        int step = 10;
        int position = 0;
    };

    [[nodiscard]] const Combo& ComboState(int controlId) { return combos_[controlId]; }
    [[nodiscard]] const std::vector<StatusDialog>& StatusDialogs() const { return statusDialogs_; }
    [[nodiscard]] std::optional<DialogResult> Ended() const { return ended_; }
    [[nodiscard]] const std::vector<WindowEvent>& Events() const { return events_; }
    void ClearEvents() { events_.clear(); }

  private:
    void Emit(WindowEvent event);
    StatusDialog* CurrentStatusDialog();

    Observer observer_;
    std::map<int, std::string> mainTexts_;
    std::map<int, Combo> combos_;
    std::vector<StatusDialog> statusDialogs_;
    std::optional<DialogResult> ended_;
    std::vector<WindowEvent> events_;
};

}  // namespace kestrix::platform
