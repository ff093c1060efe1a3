#include "gui/main_dialog_widget.h"

#include <QKeyEvent>
#include <QPushButton>

#include "gui/control_widgets.h"
#include "gui/dialog_layout.h"
#include "gui/dialog_units.h"

namespace kestrix::gui {

namespace {
constexpr const char* MainDialogFontFamily = "MS Gothic";
constexpr int MainDialogFontPoints = 10;
}  // namespace

MainDialogWidget::MainDialogWidget()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    const DialogTemplate entry = MainDialogTemplate();
    setFont(DialogFont(MainDialogFontFamily, MainDialogFontPoints));
    setWindowTitle(QString::fromLatin1(entry.caption));
    const DialogUnits units = DialogUnits::ForFont(font());
    setFixedSize(units.X(entry.width), units.Y(entry.height));
    controls_ = BuildControls(*this, entry, units);
}

QWidget* MainDialogWidget::Control(int controlId) const {
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

void MainDialogWidget::Finish(bool accepted) {
    finished_ = true;
    QDialog::done(accepted ? QDialog::Accepted : QDialog::Rejected);
}

void MainDialogWidget::reject() {
    if (!finished_ && onEscape) onEscape();
}

void MainDialogWidget::accept() {
    if (!finished_ && onEnter) onEnter();
}

void MainDialogWidget::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                // A push button that has the focus takes Enter as its own click.
                if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                    button->click();
                } else {
                    accept();
                }
                return;
            case Qt::Key_Escape:
                reject();
                return;
            default:
                break;
        }
    }
    QDialog::keyPressEvent(event);
}

}  // namespace kestrix::gui
