#include "device/open_transport.h"

#include "device/port_driver.h"
#include "device/self_driver.h"

namespace kestrix::device {

std::uint8_t OpenTransport(DeviceContext& context) {
    const core::AppState& app = context.app;
    switch (app.osKind) {
        case core::OsKind::Win98:
            return app.usePortDriverB ? OpenPortDriverB(context) : OpenPortDriverA(context);
        case core::OsKind::WinMe:
            if (app.selfDriverSel) return OpenPortDriverA(context);
            break;
        case core::OsKind::Win2K:
            if (app.selfDriverSel) return ProbeSelfDriver(context);
            break;
        case core::OsKind::WinXP:
        case core::OsKind::Unknown:
            break;
    }
    return 1;
}

}  // namespace kestrix::device
