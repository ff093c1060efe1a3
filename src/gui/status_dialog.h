#pragma once

#include <QDialog>
#include <QProgressBar>
#include <map>
#include <string>

#include "gui/progress_state.h"

namespace kestrix::gui {

// The modeless status dialog a run shows while it works (template 131): the status label, the
// log area and the working progress bar laid over the placeholder bar. It has no close box:
// a run cannot be interrupted from it.
class StatusDialog : public QDialog {
  public:
    explicit StatusDialog(QWidget* owner);

    void SetText(int controlId, const std::string& text);
    [[nodiscard]] std::string Text(int controlId) const;

    void SetProgressRange(int low, int high);
    void SetProgressStep(int step);
    void StepProgress();

    [[nodiscard]] const ProgressState& Progress() const { return progress_; }
    [[nodiscard]] QProgressBar& WorkingBar() { return *bar_; }
    [[nodiscard]] QWidget* Control(int controlId) const;

  protected:
    void reject() override {}  // Escape does not close it either

  private:
    void ShowProgress();

    std::map<int, QWidget*> controls_;
    QProgressBar* bar_ = nullptr;
    ProgressState progress_;
};

}  // namespace kestrix::gui
