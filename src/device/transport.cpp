#include "device/transport.h"

namespace kestrix::device {

Transport SelectTransport(const core::AppState& app) {
    switch (app.osKind) {
        case core::OsKind::Win98:
            return app.usePortDriverB ? Transport::PortDriverB : Transport::PortDriverA;
        case core::OsKind::WinMe:
            return app.selfDriverSel ? Transport::PortDriverA : Transport::Aspi;
        case core::OsKind::Win2K:
            return app.selfDriverSel ? Transport::SelfDriver : Transport::PassThrough;
        case core::OsKind::WinXP:
        case core::OsKind::Unknown:
            break;
    }
    return Transport::PassThrough;
}

}  // namespace kestrix::device
