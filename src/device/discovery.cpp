#include "device/discovery.h"

#include "device/aspi_discovery.h"
#include "device/device_table_ops.h"
#include "device/drive_letter_discovery.h"
#include "device/port_driver_discovery.h"
#include "device/transport.h"

namespace kestrix::device {

std::uint8_t DiscoverDevices(DeviceContext& context, bool showMessages) {
    ResetDeviceTable(context);
    switch (SelectTransport(context.app)) {
        case Transport::PassThrough:
            return DiscoverPassThroughDrives(context);
        case Transport::SelfDriver:
            return DiscoverSelfDriverDrives(context);
        case Transport::PortDriverA:
            return DiscoverPortDriverA(context);
        case Transport::PortDriverB:
            return DiscoverPortDriverB(context);
        case Transport::Aspi:
            return DiscoverAspi(context, showMessages);
    }
    return 1;
}

}  // namespace kestrix::device
