#pragma once

#include "app/system.h"

namespace kestrix::app {

// Fills the Driver Select combo box `comboId` and its label for the system kind and the
// self-driver setting, and sets the default driver file where the row names one.
void SetupDriverList(System& system, int comboId);

}  // namespace kestrix::app
