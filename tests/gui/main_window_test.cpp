#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/control_ids.h"
#include "app/system.h"
#include "app/upgrade_dialog.h"
#include "gui/gui_fixture.h"
#include "platform/sim/sim_host.h"
#include "platform/window_model.h"

namespace kestrix::gui::testing {
namespace {

using platform::DialogResult;
using platform::MainDialogId;

class NullConsole : public platform::Console {
  public:
    void WriteStdout(std::string_view) override {}
};

std::vector<std::string> Entries(QComboBox& combo) {
    std::vector<std::string> entries;
    for (int i = 0; i < combo.count(); ++i) entries.push_back(combo.itemText(i).toStdString());
    return entries;
}

constexpr const char* TwoReadersOnWin98 = R"({
  "os": "win98", "drives": ["C"], "drivers": ["QXDKPDRV", "ZN_URDR", "QX20DISK"],
  "devices": [
    {"serial": "KX0000000001", "hardwareCode": "100643", "slots": ["E", "F"]},
    {"serial": "KX0000000002", "product": "Single Slot", "hardwareCode": "203541",
     "slots": ["G"]}
  ]
})";

// The window shows exactly what the dialog logic wrote: the same start-up against the model
// window must leave the same texts in the report area, the device name box and the lists.
TEST(MainWindow, StartUpShowsWhatTheLogicWrote) {
    GuiSession gui;
    ASSERT_TRUE(gui.session->Start());

    NullConsole console;
    platform::WindowModel model;
    sim::SimHost simHost(sim::DemoWorld());
    platform::Host host{simHost, simHost, simHost, simHost, console, model, simHost.Memory()};
    auto system = std::make_unique<app::System>(host, gui.workDir);
    app::UpgradeDialog dialog(*system);
    ASSERT_TRUE(dialog.OnInitDialog());

    const std::string report = gui.Control<QLabel>(app::ReportAreaId).text().toStdString();
    EXPECT_EQ(report, model.GetItemText(MainDialogId, app::ReportAreaId));
    EXPECT_NE(report.find("\n Total Device Plug In : 1"), std::string::npos) << report;
    EXPECT_EQ(gui.Control<QLineEdit>(app::DeviceNameBoxId).text().toStdString(),
              model.GetItemText(MainDialogId, app::DeviceNameBoxId));
    EXPECT_NE(gui.Control<QLineEdit>(app::DeviceNameBoxId).text().indexOf("[E:]"), -1);

    auto& deviceSel = gui.Control<QComboBox>(app::DeviceSelListId);
    EXPECT_EQ(Entries(deviceSel), std::vector<std::string>{"1"});
    EXPECT_EQ(deviceSel.currentIndex(), 0);
    EXPECT_EQ(gui.Control<QLabel>(app::DriverSelectLabelId).text(), "Inq.ProductName");
    EXPECT_EQ(gui.Control<QComboBox>(app::DriverSelectListId).count(), 0);
    EXPECT_EQ(gui.Window().MainDialog().windowTitle(),
              "[ Kestrix ] USB Device upgrade F/W  AP  Version 4.3");
}

// Entries are shown in case-insensitive order, and adding one neither selects it nor moves
// the selection off the entry it was on.
TEST(MainWindow, DriverListIsSortedWithTheDefaultSelected) {
    GuiSession gui(WorldFromJson(TwoReadersOnWin98));
    ASSERT_TRUE(gui.session->Start());
    auto& drivers = gui.Control<QComboBox>(app::DriverSelectListId);
    EXPECT_EQ(Entries(drivers),
              (std::vector<std::string>{"QX20DISK.PDR", "QXDKPDRV.PDR", "ZN_URDR.PDR"}));
    EXPECT_EQ(drivers.currentText(), "QXDKPDRV.PDR");

    QtWindow& window = gui.Window();
    window.ComboResetContent(app::DriverSelectListId);
    window.ComboAddString(app::DriverSelectListId, "b");
    EXPECT_EQ(window.ComboGetSelectedText(app::DriverSelectListId, 19), "");
    window.ComboSetCurSel(app::DriverSelectListId, 0);
    window.ComboAddString(app::DriverSelectListId, "A");
    window.ComboAddString(app::DriverSelectListId, "c");
    EXPECT_EQ(Entries(drivers), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(window.ComboGetSelectedText(app::DriverSelectListId, 19), "b");
    window.ComboSetCurSel(app::DriverSelectListId, 7);
    EXPECT_EQ(window.ComboGetSelectedText(app::DriverSelectListId, 19), "");
}

TEST(MainWindow, ChoosingADeviceSelectsItsRecord) {
    GuiSession gui(WorldFromJson(TwoReadersOnWin98));
    ASSERT_TRUE(gui.session->Start());
    auto& deviceSel = gui.Control<QComboBox>(app::DeviceSelListId);
    ASSERT_EQ(Entries(deviceSel), (std::vector<std::string>{"1", "2"}));

    deviceSel.setCurrentIndex(1);
    Q_EMIT deviceSel.activated(1);
    EXPECT_EQ(gui.session->System().device.table.selectedIndex, 1);
    EXPECT_NE(gui.Control<QLineEdit>(app::DeviceNameBoxId).text().indexOf("[G:]"), -1);
}

TEST(MainWindow, CheckBoxClicksToggleTheirFlags) {
    struct Case {
        int control;
        std::int32_t core::AppState::*flag;
    };
    const Case cases[] = {
        {app::IspEnaCheckBoxId, &core::AppState::ispEnabled},
        {app::IspMsFwCheckBoxId, &core::AppState::msFirmwareMode},
        {app::SelfDriverSelCheckBoxId, &core::AppState::selfDriverSel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        GuiSession gui;
        ASSERT_TRUE(gui.session->Start());
        auto& box = gui.Control<QCheckBox>(c.control);
        for (const bool expected : {true, false}) {
            box.click();
            EXPECT_EQ(gui.App().*c.flag, expected ? 1 : 0);
            EXPECT_EQ(box.isChecked(), expected);
        }
    }
}

// While a command waits for a message box to be answered, the window must not start a
// second command; a check box clicked then keeps its old mark.
TEST(MainWindow, NoCommandStartsWhileAnotherRuns) {
    GuiSession gui;
    ASSERT_TRUE(gui.session->Start());
    gui.boxes.clear();
    auto& ispEna = gui.Control<QCheckBox>(app::IspEnaCheckBoxId);
    gui.onBox = [&] { ispEna.click(); };
    gui.Control<QPushButton>(app::UserIspInfoButtonId).click();
    EXPECT_FALSE(gui.boxes.empty());
    EXPECT_EQ(gui.App().ispEnabled, 0);
    EXPECT_FALSE(ispEna.isChecked());
}

TEST(MainWindow, RefusedSystemShowsItsMessageAndEnds) {
    GuiSession gui(WorldFromJson(R"({"os": "win2003"})"));
    EXPECT_FALSE(gui.session->Start());
    ASSERT_EQ(gui.boxes.size(), 1u);
    EXPECT_EQ(gui.boxes[0].text, "This program must run under win9x or WinMe or Win2K or WinXP");
    EXPECT_EQ(gui.session->Run(), DialogResult::Cancel);  // returns at once
}

TEST(MainWindow, WaysToEndTheDialog) {
    enum class Way { CloseButton, Enter, Escape, CloseBox };
    struct Case {
        Way way;
        DialogResult result;
    };
    const Case cases[] = {
        {Way::CloseButton, DialogResult::Ok},
        {Way::Enter, DialogResult::Ok},
        {Way::Escape, DialogResult::Cancel},
        {Way::CloseBox, DialogResult::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.way));
        GuiSession gui;
        ASSERT_TRUE(gui.session->Start());
        MainDialogWidget& dialog = gui.Window().MainDialog();
        dialog.show();
        dialog.setFocus();
        switch (c.way) {
            case Way::CloseButton:
                gui.Control<QPushButton>(app::CloseButtonId).click();
                break;
            case Way::Enter: {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                QCoreApplication::sendEvent(&dialog, &key);
                break;
            }
            case Way::Escape: {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(&dialog, &key);
                break;
            }
            case Way::CloseBox:
                dialog.close();
                break;
        }
        EXPECT_EQ(gui.Window().Ended(), c.result);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(gui.session->Run(), c.result);
    }
}

// Device texts may hold any byte and markup-like characters; the window shows them as they
// are and gives them back unchanged.
TEST(MainWindow, TextsAreShownVerbatim) {
    GuiSession gui;
    struct Case {
        int control;
        std::string text;
    };
    const Case cases[] = {
        {app::ReportAreaId, "\n<b>bold</b> &amp;\n \xE9\xFF\x01"},
        {app::DriverSelectLabelId, "<i>x</i>\xB5"},
        {app::DeviceNameBoxId, "<b>Reader</b> \xE9\xFF   [E:]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        gui.Window().SetItemText(MainDialogId, c.control, c.text);
        EXPECT_EQ(gui.Window().GetItemText(MainDialogId, c.control), c.text);
    }
    EXPECT_EQ(gui.Control<QLabel>(app::ReportAreaId).textFormat(), Qt::PlainText);
}

}  // namespace
}  // namespace kestrix::gui::testing
