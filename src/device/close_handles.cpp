#include "device/close_handles.h"

#include "device/handles.h"

namespace kestrix::device {

void CloseDeviceHandles(DeviceContext& context) {
    platform::Kernel& kernel = context.host.kernel;
    DeviceState& state = context.state;
    switch (context.app.osKind) {
        case core::OsKind::Win98:
            CloseHandleIfOpen(kernel, state.portDriverHandle);
            break;
        case core::OsKind::WinMe:
            if (context.app.selfDriverSel) CloseHandleIfOpen(kernel, state.portDriverHandle);
            break;
        case core::OsKind::Win2K:
        case core::OsKind::WinXP:
            CloseHandleIfOpen(kernel, state.driveHandle);
            break;
        case core::OsKind::Unknown:
            break;
    }
}

}  // namespace kestrix::device
