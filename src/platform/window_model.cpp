#include "platform/window_model.h"

#include <algorithm>
#include <cctype>

namespace kestrix::platform {

namespace {

// Sorted combo boxes compare entries without regard to letter case.
bool SortsBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) <
               std::toupper(static_cast<unsigned char>(y));
    });
}

}  // namespace

void WindowModel::Emit(WindowEvent event) {
    events_.push_back(event);
    if (observer_) observer_(events_.back());
}

WindowModel::StatusDialog* WindowModel::CurrentStatusDialog() {
    return statusDialogs_.empty() ? nullptr : &statusDialogs_.back();
}

void WindowModel::SetItemText(int dialogId, int controlId, const std::string& text) {
    if (dialogId == StatusDialogId) {
        if (StatusDialog* dialog = CurrentStatusDialog()) dialog->texts[controlId] = text;
    } else {
        mainTexts_[controlId] = text;
    }
    Emit({.kind = WindowEvent::Kind::SetText,
          .dialog = dialogId,
          .control = controlId,
          .text = text});
}

std::string WindowModel::GetItemText(int dialogId, int controlId) {
    if (dialogId == StatusDialogId) {
        StatusDialog* dialog = CurrentStatusDialog();
        return dialog ? dialog->texts[controlId] : std::string();
    }
    return mainTexts_[controlId];
}

void WindowModel::ComboResetContent(int controlId) {
    combos_[controlId] = Combo{};
    Emit({.kind = WindowEvent::Kind::Combo, .control = controlId, .op = "reset"});
}

void WindowModel::ComboAddString(int controlId, const std::string& text) {
    Combo& combo = combos_[controlId];
    const auto at = std::upper_bound(combo.entries.begin(), combo.entries.end(), text, SortsBefore);
    const int position = static_cast<int>(at - combo.entries.begin());
    combo.entries.insert(at, text);
    if (combo.selected >= position) ++combo.selected;
    Emit({.kind = WindowEvent::Kind::Combo, .control = controlId, .op = "add", .text = text});
}

void WindowModel::ComboSetCurSel(int controlId, int index) {
    Combo& combo = combos_[controlId];
    // Selecting outside the list clears the selection, as a real combo box does.
    combo.selected = (index >= 0 && index < static_cast<int>(combo.entries.size())) ? index : -1;
    Emit({.kind = WindowEvent::Kind::Combo, .control = controlId, .op = "select", .index = index});
}

std::string WindowModel::ComboGetSelectedText(int controlId, std::size_t limit) {
    const Combo& combo = combos_[controlId];
    if (combo.selected < 0) return {};
    return combo.entries[static_cast<std::size_t>(combo.selected)].substr(0, limit);
}

bool WindowModel::ChooseComboEntry(int controlId, const std::string& text) {
    Combo& combo = combos_[controlId];
    const auto it = std::find(combo.entries.begin(), combo.entries.end(), text);
    if (it == combo.entries.end()) return false;
    combo.selected = static_cast<int>(it - combo.entries.begin());
    return true;
}

void WindowModel::MessageBox(const std::string& text, const std::string& caption,
                             MessageIcon icon) {
    Emit({.kind = WindowEvent::Kind::MessageBox, .text = text, .caption = caption, .icon = icon});
}

void WindowModel::CreateStatusDialog() {
    statusDialogs_.push_back(StatusDialog{});
    Emit({.kind = WindowEvent::Kind::Window, .dialog = StatusDialogId, .op = "create"});
}

void WindowModel::ShowWindow(int dialogId, bool show) {
    if (dialogId == StatusDialogId) {
        if (StatusDialog* dialog = CurrentStatusDialog()) dialog->visible = show;
    }
    Emit({.kind = WindowEvent::Kind::Window, .dialog = dialogId, .op = show ? "show" : "hide"});
}

void WindowModel::SetProgressRange(int low, int high) {
    if (StatusDialog* dialog = CurrentStatusDialog()) {
        dialog->low = low;
        dialog->high = high;
        dialog->position = std::clamp(dialog->position, low, std::max(low, high));
    }
    Emit({.kind = WindowEvent::Kind::Progress, .op = "range", .low = low, .high = high});
}

void WindowModel::SetProgressStep(int step) {
    if (StatusDialog* dialog = CurrentStatusDialog()) dialog->step = step;
    Emit({.kind = WindowEvent::Kind::Progress, .op = "step", .step = step});
}

void WindowModel::StepProgress() {
    int position = 0;
    if (StatusDialog* dialog = CurrentStatusDialog()) {
        // A progress bar that steps past its end starts over from the beginning.
        dialog->position += dialog->step;
        if (dialog->position > dialog->high || dialog->position < dialog->low)
            dialog->position = dialog->low;
        position = dialog->position;
    }
    Emit({.kind = WindowEvent::Kind::Progress, .op = "stepit", .position = position});
}

void WindowModel::EndDialog(DialogResult result) {
    ended_ = result;
    Emit({.kind = WindowEvent::Kind::End, .result = result});
}

}  // namespace kestrix::platform
