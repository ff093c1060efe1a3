#include "gui/dialog_layout.h"

namespace kestrix::gui {

namespace {

using enum ControlKind;
constexpr bool Hidden = false;
constexpr bool Shown = true;

constexpr std::array MainControls = {
    ControlSpec{8, PushButton, "Close", 255, 235, 47, 13, Shown, TextAlign::Centre, false, true},
    ControlSpec{NoControlId, Static, "PassWD Exist:", 151, 233, 53, 8, Hidden},
    ControlSpec{1003, Edit, "", 163, 233, 43, 12, Hidden, TextAlign::Centre},
    ControlSpec{NoControlId, Static, "Device Lock :", 161, 236, 54, 8, Hidden},
    ControlSpec{1024, Edit, "", 61, 22, 144, 12, Shown, TextAlign::Left, true},
    ControlSpec{1021, Static, "", 7, 48, 232, 171, Shown, TextAlign::Left, true},
    ControlSpec{1023, Static, "Device Name :", 7, 23, 53, 8, Shown},
    ControlSpec{1005, Edit, "", 181, 233, 43, 12, Hidden, TextAlign::Centre},
    ControlSpec{3, PushButton, "WIN9xISP", 245, 85, 47, 13, Shown, TextAlign::Centre},
    ControlSpec{1027, ComboBox, "", 223, 22, 79, 30, Shown},
    ControlSpec{1028, Static, "Driver Select", 222, 6, 80, 15, Shown, TextAlign::Centre},
    ControlSpec{1035, CheckBox, "SelfDriverSel", 218, 36, 62, 12, Shown},
    ControlSpec{1031, CheckBox, "ISP_Ena", 246, 58, 44, 14, Shown},
    ControlSpec{1033, CheckBox, "Test_Ena", 248, 101, 44, 12, Hidden},
    ControlSpec{1034, CheckBox, "Slot 1", 248, 112, 44, 11, Hidden},
    ControlSpec{1036, CheckBox, "Slot 2", 248, 121, 44, 11, Hidden},
    ControlSpec{1038, CheckBox, "Slot 3", 248, 131, 44, 10, Hidden},
    ControlSpec{6, PushButton, "TESTCard", 255, 189, 47, 13, Hidden, TextAlign::Centre},
    ControlSpec{4, PushButton, "WIN9xVER", 245, 166, 47, 15, Shown, TextAlign::Centre},
    ControlSpec{5, PushButton, "GetInfo", 13, 233, 49, 14, Shown, TextAlign::Centre, false, true},
    ControlSpec{1007, PushButton, "FDISK", 255, 211, 47, 12, Hidden, TextAlign::Centre},
    ControlSpec{1029, Static, "Device Sel  :", 7, 6, 54, 13, Shown},
    ControlSpec{1030, ComboBox, "", 61, 6, 45, 30, Shown},
    ControlSpec{NoControlId, GroupBox, "Manufacture", 243, 48, 59, 136, Shown},
    ControlSpec{1008, PushButton, "F/W Version", 171, 233, 50, 14, Hidden, TextAlign::Centre},
    ControlSpec{1010, PushButton, "UserISPInfo", 79, 233, 49, 15, Shown, TextAlign::Centre, false,
                true},
    ControlSpec{NoControlId, GroupBox, "Static", 7, 223, 232, 27, Shown},
    ControlSpec{1032, CheckBox, "ISP_MS F/W", 246, 69, 56, 14, Shown},
    ControlSpec{1039, CheckBox, "Slot 4", 248, 140, 44, 11, Hidden},
    ControlSpec{1040, CheckBox, "Slot 5", 248, 150, 44, 11, Hidden},
};

constexpr std::array StatusControls = {
    ControlSpec{1014, Static, "Static", 7, 131, 92, 9, Shown, TextAlign::Right},
    ControlSpec{ProgressPlaceholderId, ProgressBar, "Progress1", 104, 129, 132, 11, Shown},
    ControlSpec{1019, Static, "TEXT", 7, 7, 241, 114, Shown, TextAlign::Left, true},
};

}  // namespace

DialogSpec MainDialogSpec() {
    return {"[ Kestrix ] USB Device upgrade F/W  AP  Version 4.3", 309, 255, MainControls};
}

DialogSpec StatusDialogSpec() {
    return {"PROCESS STATUS DIALOG", 255, 148, StatusControls};
}

}  // namespace kestrix::gui
