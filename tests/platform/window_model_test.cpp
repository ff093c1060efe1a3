#include "platform/window_model.h"

#include <gtest/gtest.h>

namespace kestrix::platform {
namespace {

TEST(WindowModel, SortedComboKeepsSelectionOnItsEntry) {
    WindowModel window;
    window.ComboAddString(1027, "ZN_URDR.PDR");
    window.ComboSetCurSel(1027, 0);
    window.ComboAddString(1027, "QXDKPDRV.PDR");
    window.ComboAddString(1027, "qx20disk.pdr");

    EXPECT_EQ(window.ComboState(1027).entries,
              (std::vector<std::string>{"qx20disk.pdr", "QXDKPDRV.PDR", "ZN_URDR.PDR"}));
    EXPECT_EQ(window.ComboGetSelectedText(1027, 19), "ZN_URDR.PDR");
    EXPECT_EQ(window.ComboGetSelectedText(1027, 4), "ZN_U");
}

TEST(WindowModel, SelectingOutsideTheListClearsTheSelection) {
    WindowModel window;
    window.ComboSetCurSel(1030, 0);
    EXPECT_EQ(window.ComboGetSelectedText(1030, 19), "");
    EXPECT_FALSE(window.ChooseComboEntry(1030, "1"));
    window.ComboAddString(1030, "1");
    EXPECT_TRUE(window.ChooseComboEntry(1030, "1"));
    EXPECT_EQ(window.ComboGetSelectedText(1030, 19), "1");
}

TEST(WindowModel, ProgressStepsAndStartsOverPastTheEnd) {
    WindowModel window;
    window.CreateStatusDialog();
    window.SetProgressRange(0, 15);
    window.SetProgressStep(5);
    std::vector<int> positions;
    for (int i = 0; i < 4; ++i) {
        window.StepProgress();
        positions.push_back(window.Events().back().position);
    }
    EXPECT_EQ(positions, (std::vector<int>{5, 10, 15, 0}));
}

TEST(WindowModel, StatusTextsGoToTheNewestStatusDialog) {
    WindowModel window;
    window.CreateStatusDialog();
    window.ShowWindow(StatusDialogId, true);
    window.SetItemText(StatusDialogId, 1014, "first");
    window.ShowWindow(StatusDialogId, false);
    window.CreateStatusDialog();
    window.SetItemText(StatusDialogId, 1014, "second");

    ASSERT_EQ(window.StatusDialogs().size(), 2u);
    EXPECT_FALSE(window.StatusDialogs()[0].visible);
    EXPECT_EQ(window.StatusDialogs()[0].texts.at(1014), "first");
    EXPECT_EQ(window.StatusDialogs()[1].texts.at(1014), "second");
}

}  // namespace
}  // namespace kestrix::platform
