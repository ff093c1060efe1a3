// Placeholders so the application builds before device access lands; replaced by the
// real discovery and driver opening.
#include "device/discovery.h"
#include "device/open_transport.h"

namespace kestrix::device {

std::uint8_t DiscoverDevices(DeviceContext& context, bool /*showMessages*/) {
    context.state.table = DeviceTable{};
    context.app.statusLog.clear();
    return 1;
}

std::uint8_t OpenTransport(DeviceContext& /*context*/) { return 1; }

}  // namespace kestrix::device
