#include "gui/dialog_layout.h"

namespace kestrix::gui {

namespace {

using enum ControlKind;
constexpr bool Hidden = false;
constexpr bool Shown = true;

constexpr std::array MainControls = {
    ControlTemplate{8, PushButton, "Close", 255, 235, 47, 13, Shown, TextAlign::Centre, false,
                    true},
    ControlTemplate{NoControlId, Static, "PassWD Exist:", 151, 233, 53, 8, Hidden},
    ControlTemplate{1003, Edit, "", 163, 233, 43, 12, Hidden, TextAlign::Centre},
    ControlTemplate{NoControlId, Static, "Device Lock :", 161, 236, 54, 8, Hidden},
    ControlTemplate{1024, Edit, "", 61, 22, 144, 12, Shown, TextAlign::Left, true},
    ControlTemplate{1021, Static, "", 7, 48, 232, 171, Shown, TextAlign::Left, true},
    ControlTemplate{1023, Static, "Device Name :", 7, 23, 53, 8, Shown},
    ControlTemplate{1005, Edit, "", 181, 233, 43, 12, Hidden, TextAlign::Centre},
    ControlTemplate{3, PushButton, "WIN9xISP", 245, 85, 47, 13, Shown, TextAlign::Centre},
    ControlTemplate{1027, ComboBox, "", 223, 22, 79, 30, Shown},
    ControlTemplate{1028, Static, "Driver Select", 222, 6, 80, 15, Shown, TextAlign::Centre},
    ControlTemplate{1035, CheckBox, "SelfDriverSel", 218, 36, 62, 12, Shown},
    ControlTemplate{1031, CheckBox, "ISP_Ena", 246, 58, 44, 14, Shown},
    ControlTemplate{1033, CheckBox, "Test_Ena", 248, 101, 44, 12, Hidden},
    ControlTemplate{1034, CheckBox, "Slot 1", 248, 112, 44, 11, Hidden},
    ControlTemplate{1036, CheckBox, "Slot 2", 248, 121, 44, 11, Hidden},
    ControlTemplate{1038, CheckBox, "Slot 3", 248, 131, 44, 10, Hidden},
    ControlTemplate{6, PushButton, "TESTCard", 255, 189, 47, 13, Hidden, TextAlign::Centre},
    ControlTemplate{4, PushButton, "WIN9xVER", 245, 166, 47, 15, Shown, TextAlign::Centre},
    ControlTemplate{5, PushButton, "GetInfo", 13, 233, 49, 14, Shown, TextAlign::Centre, false,
                    true},
    ControlTemplate{1007, PushButton, "FDISK", 255, 211, 47, 12, Hidden, TextAlign::Centre},
    ControlTemplate{1029, Static, "Device Sel  :", 7, 6, 54, 13, Shown},
    ControlTemplate{1030, ComboBox, "", 61, 6, 45, 30, Shown},
    ControlTemplate{NoControlId, GroupBox, "Manufacture", 243, 48, 59, 136, Shown},
    ControlTemplate{1008, PushButton, "F/W Version", 171, 233, 50, 14, Hidden, TextAlign::Centre},
    ControlTemplate{1010, PushButton, "UserISPInfo", 79, 233, 49, 15, Shown, TextAlign::Centre,
                    false, true},
    ControlTemplate{NoControlId, GroupBox, "Static", 7, 223, 232, 27, Shown},
    ControlTemplate{1032, CheckBox, "ISP_MS F/W", 246, 69, 56, 14, Shown},
    ControlTemplate{1039, CheckBox, "Slot 4", 248, 140, 44, 11, Hidden},
    ControlTemplate{1040, CheckBox, "Slot 5", 248, 150, 44, 11, Hidden},
};

constexpr std::array StatusControls = {
    ControlTemplate{1014, Static, "Static", 7, 131, 92, 9, Shown, TextAlign::Right},
    ControlTemplate{ProgressPlaceholderId, ProgressBar, "Progress1", 104, 129, 132, 11, Shown},
    ControlTemplate{1019, Static, "TEXT", 7, 7, 241, 114, Shown, TextAlign::Left, true},
};

}  // namespace

DialogTemplate MainDialogTemplate() {
    return {"[ Kestrix ] USB Device upgrade F/W  AP  Version 4.3", 309, 255, MainControls};
}

DialogTemplate StatusDialogTemplate() {
    return {"PROCESS STATUS DIALOG", 255, 148, StatusControls};
}

}  // namespace kestrix::gui
