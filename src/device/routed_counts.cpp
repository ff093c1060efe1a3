#include "device/routed_counts.h"

#include "device/port_driver.h"
#include "device/self_driver.h"

namespace kestrix::device {

namespace {

enum class CountSource { None, PortDriverA, PortDriverB, SelfDriver };

CountSource SourceFor(const core::AppState& app) {
    switch (app.osKind) {
        case core::OsKind::Win98:
            return app.usePortDriverB ? CountSource::PortDriverB : CountSource::PortDriverA;
        case core::OsKind::WinMe:
            return app.selfDriverSel ? CountSource::PortDriverA : CountSource::None;
        case core::OsKind::Win2K:
            return app.selfDriverSel ? CountSource::SelfDriver : CountSource::None;
        case core::OsKind::WinXP:
        case core::OsKind::Unknown:
            break;
    }
    return CountSource::None;
}

}  // namespace

std::uint8_t RoutedDeviceCount(DeviceContext& context) {
    switch (SourceFor(context.app)) {
        case CountSource::PortDriverA:
            return port_driver_a::GetDeviceCount(context);
        case CountSource::PortDriverB:
            return port_driver_b::GetDeviceCount(context);
        case CountSource::SelfDriver:
            return self_driver::GetDeviceCount(context);
        case CountSource::None:
            break;
    }
    return 0;
}

std::uint8_t RoutedSlotCount(DeviceContext& context) {
    switch (SourceFor(context.app)) {
        case CountSource::PortDriverA:
            return port_driver_a::GetSlotCount(context);
        case CountSource::PortDriverB:
            return port_driver_b::GetSlotCount(context);
        case CountSource::SelfDriver:
            return self_driver::GetSlotCount(context);
        case CountSource::None:
            break;
    }
    return 0;
}

}  // namespace kestrix::device
