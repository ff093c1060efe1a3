#pragma once

#include "app/system.h"

namespace kestrix::app {

// The main dialog's logic: start-up and the handlers of its buttons, check boxes and combo
// boxes. Every handler runs to completion before the next one is called.
class UpgradeDialog {
  public:
    explicit UpgradeDialog(System& system) : system_(system) {}

    // Detects the system, reads DEVICE.TXT, resets the state, fills the Driver Select list
    // and runs GetInfo. False when the system is refused (the dialog has then ended).
    [[nodiscard]] bool OnInitDialog();

    void OnGetInfo();
    void OnIspEna();
    void OnIspMsFw();
    void OnSelfDriverSel();
    void OnDriverSelectChange();
    void OnDeviceSelChange();
    void OnUserIspInfo();
    void OnCloseButton();
    void OnEnter();
    void OnEscape();

  private:
    [[nodiscard]] bool UsesPortDriver() const;
    void ResetApplicationState();

    System& system_;
};

}  // namespace kestrix::app
