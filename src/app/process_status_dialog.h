#pragma once

#include <string>

#include "platform/window.h"

namespace kestrix::app {

// The modeless progress window of one programming or verify run. Constructing it creates
// a new hidden window; the run shows it, advances it and hides it on every exit. A finished
// run's window is never shown again.
class ProcessStatusDialog {
  public:
    explicit ProcessStatusDialog(platform::Window& window);

    void SetProgressRange(int low, int high) { window_.SetProgressRange(low, high); }
    void SetProgressStep(int step) { window_.SetProgressStep(step); }
    void StepProgress() { window_.StepProgress(); }
    // Sets the status label when `forStatusLabel`, else the log area.
    void SetStatusText(const std::string& text, bool forStatusLabel);
    void Show() { window_.ShowWindow(platform::StatusDialogId, true); }
    void Hide() { window_.ShowWindow(platform::StatusDialogId, false); }

  private:
    platform::Window& window_;
};

}  // namespace kestrix::app
