#pragma once

#include "app/system.h"

namespace kestrix::app {

// The UserISPInfo command: reads DEVICE.TXT from the working directory into the device
// configuration and shows its summary (after the missing-file box when it cannot be read).
void RunUserIspInfo(System& system);

}  // namespace kestrix::app
