#pragma once

#include "device/device_context.h"

namespace kestrix::device {

// Releases the handle the active system keeps open between commands: the port driver on
// Windows 98 and on Windows ME with the self driver setting (ASPI holds no handle), the
// drive handle on Windows 2000 and XP.
void CloseDeviceHandles(DeviceContext& context);

}  // namespace kestrix::device
