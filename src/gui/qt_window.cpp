#include "gui/qt_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QMessageBox>
#include <QSignalBlocker>
#include <algorithm>

#include "gui/control_widgets.h"
#include "gui/text_conversion.h"

namespace kestrix::gui {

namespace {

QMessageBox::Icon ToQtIcon(platform::MessageIcon icon) {
    switch (icon) {
        case platform::MessageIcon::Error:
            return QMessageBox::Critical;
        case platform::MessageIcon::Information:
            return QMessageBox::Information;
        case platform::MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Sorted combo boxes order their entries without regard to letter case; an entry equal to
// others goes after them.
int SortedPosition(const QComboBox& combo, const QString& text) {
    int position = 0;
    while (position < combo.count() &&
           QString::compare(combo.itemText(position), text, Qt::CaseInsensitive) <= 0) {
        ++position;
    }
    return position;
}

}  // namespace

void PresentMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                       platform::MessageIcon icon) {
    QMessageBox box(ToQtIcon(icon), ToQt(caption), ToQt(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QtWindow::QtWindow(MessageBoxPresenter presenter)
    : presenter_(std::move(presenter)), main_(std::make_unique<MainDialogWidget>()) {
    main_->onEnter = [] {};
    main_->onEscape = [] {};
}

QtWindow::~QtWindow() = default;

bool QtWindow::Dispatch(const std::function<void()>& handler) {
    if (busy_ || ended_ || !handler) return false;
    busy_ = true;
    handler();
    busy_ = false;
    return true;
}

void QtWindow::BindControl(int controlId, std::function<void()> handler) {
    QWidget* control = main_->Control(controlId);
    if (!control) return;
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        // Only a choice the user makes counts, not one the program sets.
        QObject::connect(combo, &QComboBox::activated, combo,
                         [this, handler](int) { Dispatch(handler); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [this, handler, button](bool checked) {
                             // A check box whose click was not handled keeps its old mark, so
                             // mark and flag stay in step.
                             if (!Dispatch(handler) && button->isCheckable()) {
                                 const QSignalBlocker blocker(button);
                                 button->setChecked(!checked);
                             }
                         });
    }
}

void QtWindow::BindKeys(std::function<void()> enter, std::function<void()> escape) {
    main_->onEnter = [this, enter = std::move(enter)] { Dispatch(enter); };
    main_->onEscape = [this, escape = std::move(escape)] { Dispatch(escape); };
}

platform::DialogResult QtWindow::Exec() {
    if (!ended_) main_->exec();
    return ended_.value_or(platform::DialogResult::Cancel);
}

void QtWindow::Repaint() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtWindow::SetItemText(int dialogId, int controlId, const std::string& text) {
    if (dialogId == platform::StatusDialogId) {
        if (status_) {
            status_->SetText(controlId, text);
            Repaint();
        }
        return;
    }
    if (QWidget* control = main_->Control(controlId)) SetControlText(*control, text);
}

std::string QtWindow::GetItemText(int dialogId, int controlId) {
    if (dialogId == platform::StatusDialogId) return status_ ? status_->Text(controlId) : "";
    const QWidget* control = main_->Control(controlId);
    return control ? ControlText(*control) : std::string();
}

void QtWindow::ComboResetContent(int controlId) {
    if (auto* combo = qobject_cast<QComboBox*>(main_->Control(controlId))) combo->clear();
}

void QtWindow::ComboAddString(int controlId, const std::string& text) {
    auto* combo = qobject_cast<QComboBox*>(main_->Control(controlId));
    if (!combo) return;
    const QString entry = ToQt(text);
    const int position = SortedPosition(*combo, entry);
    int selected = combo->currentIndex();
    combo->insertItem(position, entry);
    // Adding an entry selects nothing by itself (the widget would select the first entry of
    // an empty list); the selected entry keeps its selection.
    if (selected >= position) ++selected;
    combo->setCurrentIndex(selected);
}

void QtWindow::ComboSetCurSel(int controlId, int index) {
    auto* combo = qobject_cast<QComboBox*>(main_->Control(controlId));
    if (!combo) return;
    // Selecting outside the list clears the selection.
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

std::string QtWindow::ComboGetSelectedText(int controlId, std::size_t limit) {
    const auto* combo = qobject_cast<QComboBox*>(main_->Control(controlId));
    if (!combo || combo->currentIndex() < 0) return {};
    return FromQt(combo->currentText()).substr(0, limit);
}

void QtWindow::MessageBox(const std::string& text, const std::string& caption,
                          platform::MessageIcon icon) {
    QWidget* parent = main_->isVisible() ? main_.get() : nullptr;
    presenter_(parent, text, caption, icon);
}

void QtWindow::CreateStatusDialog() {
    // The dialog of a finished run is hidden and never shown again: let it go.
    delete status_;
    status_ = new StatusDialog(main_.get());
}

void QtWindow::ShowWindow(int dialogId, bool show) {
    QWidget* window = dialogId == platform::StatusDialogId ? static_cast<QWidget*>(status_)
                                                           : static_cast<QWidget*>(main_.get());
    if (!window) return;
    window->setVisible(show);
    Repaint();
}

void QtWindow::SetProgressRange(int low, int high) {
    if (!status_) return;
    status_->SetProgressRange(low, high);
    Repaint();
}

void QtWindow::SetProgressStep(int step) {
    if (status_) status_->SetProgressStep(step);
}

void QtWindow::StepProgress() {
    if (!status_) return;
    status_->StepProgress();
    Repaint();
}

void QtWindow::EndDialog(platform::DialogResult result) {
    if (ended_) return;
    ended_ = result;
    if (status_) status_->hide();
    main_->Finish(result == platform::DialogResult::Ok);
}

}  // namespace kestrix::gui
