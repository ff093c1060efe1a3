#include "gui/status_dialog.h"

#include "gui/control_widgets.h"
#include "gui/dialog_layout.h"
#include "gui/dialog_units.h"
#include "gui/text_conversion.h"

namespace kestrix::gui {

namespace {
constexpr const char* StatusDialogFontFamily = "BatangChe";
constexpr int StatusDialogFontPoints = 10;
}  // namespace

StatusDialog::StatusDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    const DialogTemplate entry = StatusDialogTemplate();
    setFont(DialogFont(StatusDialogFontFamily, StatusDialogFontPoints));
    setWindowTitle(QString::fromLatin1(entry.caption));
    setModal(false);
    const DialogUnits units = DialogUnits::ForFont(font());
    setFixedSize(units.X(entry.width), units.Y(entry.height));
    controls_ = BuildControls(*this, entry, units);

    // The working bar covers the placeholder exactly; only the working bar ever moves.
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("control%1").arg(WorkingProgressBarId));
    bar_->setTextVisible(false);
    if (QWidget* placeholder = Control(ProgressPlaceholderId))
        bar_->setGeometry(placeholder->geometry());
    bar_->raise();
    ShowProgress();
    bar_->show();
}

QWidget* StatusDialog::Control(int controlId) const {
    if (controlId == WorkingProgressBarId) return bar_;
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

void StatusDialog::SetText(int controlId, const std::string& text) {
    if (QWidget* control = Control(controlId)) SetControlText(*control, text);
}

std::string StatusDialog::Text(int controlId) const {
    const QWidget* control = Control(controlId);
    return control ? ControlText(*control) : std::string();
}

void StatusDialog::SetProgressRange(int low, int high) {
    progress_.SetRange(low, high);
    ShowProgress();
}

void StatusDialog::SetProgressStep(int step) {
    progress_.SetStep(step);
}

void StatusDialog::StepProgress() {
    progress_.Step();
    ShowProgress();
}

void StatusDialog::ShowProgress() {
    // A bar whose high end lies below its low end can only show the low end.
    bar_->setRange(progress_.low, std::max(progress_.low, progress_.high));
    bar_->setValue(progress_.position);
}

}  // namespace kestrix::gui
