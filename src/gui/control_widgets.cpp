#include "gui/control_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <vector>

#include "gui/text_conversion.h"

namespace kestrix::gui {

namespace {

Qt::Alignment HorizontalAlignment(TextAlign align) {
    switch (align) {
        case TextAlign::Centre:
            return Qt::AlignHCenter;
        case TextAlign::Right:
            return Qt::AlignRight;
        case TextAlign::Left:
            break;
    }
    return Qt::AlignLeft;
}

QWidget* CreateControl(QWidget& parent, const ControlTemplate& entry) {
    const QString caption = QString::fromLatin1(entry.caption);
    switch (entry.kind) {
        case ControlKind::PushButton: {
            auto* button = new QPushButton(caption, &parent);
            // No push button is a default button: Enter goes to the dialog.
            button->setAutoDefault(false);
            button->setDefault(false);
            button->setFocusPolicy(entry.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
            return button;
        }
        case ControlKind::Static: {
            auto* label = new QLabel(&parent);
            label->setTextFormat(Qt::PlainText);
            label->setText(caption);
            // Static texts start at the top and break lines at line feeds and at word ends.
            label->setAlignment(HorizontalAlignment(entry.align) | Qt::AlignTop);
            label->setWordWrap(entry.align == TextAlign::Left);
            if (entry.sunken) {
                label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                label->setMargin(2);
            }
            return label;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(&parent);
            edit->setReadOnly(true);
            edit->setAlignment(HorizontalAlignment(entry.align) | Qt::AlignVCenter);
            return edit;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(&parent);
            combo->setEditable(false);
            return combo;
        }
        case ControlKind::CheckBox:
            return new QCheckBox(caption, &parent);
        case ControlKind::GroupBox:
            return new QGroupBox(caption, &parent);
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(&parent);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            bar->setAccessibleName(caption);
            return bar;
        }
    }
    return new QWidget(&parent);
}

}  // namespace

std::map<int, QWidget*> BuildControls(QWidget& parent, const DialogTemplate& dialog,
                                      const DialogUnits& units) {
    std::map<int, QWidget*> byId;
    std::vector<QWidget*> frames;
    for (const ControlTemplate& entry : dialog.controls) {
        QWidget* control = CreateControl(parent, entry);
        QRect rect = units.Rect(entry);
        // A drop-down list's template height includes the opened list; the closed box is as
        // high as the font needs.
        if (entry.kind == ControlKind::ComboBox) rect.setHeight(control->sizeHint().height());
        control->setGeometry(rect);
        control->setVisible(entry.visible);
        if (entry.kind == ControlKind::GroupBox) frames.push_back(control);
        if (entry.id != NoControlId) {
            control->setObjectName(QStringLiteral("control%1").arg(entry.id));
            byId[entry.id] = control;
        }
    }
    // Frames only draw around the controls they group: keep them beneath, out of the way of
    // the mouse.
    for (QWidget* frame : frames) {
        frame->lower();
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    return byId;
}

void SetControlText(QWidget& control, const std::string& text) {
    const QString value = ToQt(text);
    if (auto* label = qobject_cast<QLabel*>(&control)) {
        label->setText(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
        edit->setText(value);
        edit->setCursorPosition(0);
    } else if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
        button->setText(value);
    } else if (auto* frame = qobject_cast<QGroupBox*>(&control)) {
        frame->setTitle(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(&control)) {
        // A drop-down list shows the text of an entry; select the entry that has it.
        combo->setCurrentIndex(combo->findText(value, Qt::MatchExactly));
    }
}

std::string ControlText(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) return FromQt(label->text());
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) return FromQt(edit->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        return FromQt(button->text());
    if (const auto* frame = qobject_cast<const QGroupBox*>(&control)) return FromQt(frame->title());
    if (const auto* combo = qobject_cast<const QComboBox*>(&control))
        return FromQt(combo->currentText());
    return {};
}

}  // namespace kestrix::gui
