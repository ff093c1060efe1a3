#include <QLabel>

#include "app/control_ids.h"
#include "gui/dialog_layout.h"
#include "gui/gui_fixture.h"

namespace kestrix::gui::testing {
namespace {

using platform::StatusDialogId;

TEST(StatusWindow, IsCreatedHiddenWithItsBarOverThePlaceholder) {
    GuiSession gui;
    QtWindow& window = gui.Window();
    window.CreateStatusDialog();
    StatusDialog* dialog = window.CurrentStatusDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "PROCESS STATUS DIALOG");
    EXPECT_EQ(dialog->WorkingBar().value(), 0);
    EXPECT_EQ(dialog->WorkingBar().geometry(), dialog->Control(ProgressPlaceholderId)->geometry());

    window.ShowWindow(StatusDialogId, true);
    EXPECT_TRUE(dialog->isVisible());
    window.SetItemText(StatusDialogId, app::StatusLabelId, "    ISP status : ");
    window.SetItemText(StatusDialogId, app::StatusLogAreaId, "\nline one\nline two");
    EXPECT_EQ(window.GetItemText(StatusDialogId, app::StatusLabelId), "    ISP status : ");
    EXPECT_EQ(qobject_cast<QLabel*>(dialog->Control(app::StatusLogAreaId))->text(),
              "\nline one\nline two");
    window.ShowWindow(StatusDialogId, false);
    EXPECT_FALSE(dialog->isVisible());

    // A new run gets a dialog of its own, hidden and back at the start.
    window.CreateStatusDialog();
    EXPECT_FALSE(window.CurrentStatusDialog()->isVisible());
    EXPECT_EQ(window.GetItemText(StatusDialogId, app::StatusLabelId), "Static");
}

TEST(StatusWindow, ProgressSteps) {
    struct Op {
        enum { Range, Step, StepIt } kind;
        int a = 0;
        int b = 0;
    };
    struct Case {
        const char* name;
        std::vector<Op> ops;
        std::vector<int> positions;  // after each StepIt
        int low;
        int high;
    };
    const Case cases[] = {
        {"default range and step", {{Op::StepIt}, {Op::StepIt}}, {10, 20}, 0, 100},
        {"steps up to the end",
         {{Op::Range, 0, 15}, {Op::Step, 5}, {Op::StepIt}, {Op::StepIt}, {Op::StepIt}},
         {5, 10, 15},
         0,
         15},
        {"stepping past the end starts at the low end",
         {{Op::Range, 0, 15}, {Op::Step, 10}, {Op::StepIt}, {Op::StepIt}, {Op::StepIt}},
         {10, 0, 10},
         0,
         15},
        {"a range above the position moves it to the low end",
         {{Op::Range, 5, 10}, {Op::Step, 3}, {Op::StepIt}, {Op::StepIt}},
         {8, 5},
         5,
         10},
        {"a step back below the low end starts at the low end",
         {{Op::Range, 0, 10}, {Op::Step, 4}, {Op::StepIt}, {Op::Step, -6}, {Op::StepIt}},
         {4, 0},
         0,
         10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GuiSession gui;
        QtWindow& window = gui.Window();
        window.CreateStatusDialog();
        QProgressBar& bar = window.CurrentStatusDialog()->WorkingBar();
        std::vector<int> positions;
        for (const Op& op : c.ops) {
            switch (op.kind) {
                case Op::Range:
                    window.SetProgressRange(op.a, op.b);
                    break;
                case Op::Step:
                    window.SetProgressStep(op.a);
                    break;
                case Op::StepIt:
                    window.StepProgress();
                    positions.push_back(bar.value());
                    break;
            }
        }
        EXPECT_EQ(positions, c.positions);
        EXPECT_EQ(bar.minimum(), c.low);
        EXPECT_EQ(bar.maximum(), c.high);
    }
}

// Before any run has created its dialog there is nothing to update; nothing must break.
TEST(StatusWindow, CallsWithoutADialogAreHarmless) {
    GuiSession gui;
    QtWindow& window = gui.Window();
    window.SetProgressRange(0, 15);
    window.SetProgressStep(5);
    window.StepProgress();
    window.ShowWindow(StatusDialogId, true);
    window.SetItemText(StatusDialogId, app::StatusLogAreaId, "text");
    EXPECT_EQ(window.GetItemText(StatusDialogId, app::StatusLogAreaId), "");
    EXPECT_EQ(window.CurrentStatusDialog(), nullptr);
}

}  // namespace
}  // namespace kestrix::gui::testing
