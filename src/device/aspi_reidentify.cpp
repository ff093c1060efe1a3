#include "device/aspi_reidentify.h"

#include <algorithm>
#include <string>

#include "core/app_state.h"
#include "device/aspi_messages.h"
#include "device/aspi_transport.h"
#include "device/device_table_ops.h"

namespace kestrix::device {

namespace {

// The record's inquiry texts one after the other (vendor, product, revision) as the device
// answers an inquiry; a zero byte adds nothing, and the rest stays zero.
image::InquiryIdentity IdentityOf(const DeviceRecord& record) {
    image::InquiryIdentity identity{};
    std::size_t length = 0;
    auto append = [&](const auto& field) {
        for (const std::uint8_t byte : field) {
            if (byte != 0 && length < identity.size()) identity[length++] = byte;
        }
    };
    append(record.inquiryVendor);
    append(record.inquiryProduct);
    append(record.inquiryRevision);
    return identity;
}

bool SameDevice(const DeviceRecord& a, const DeviceRecord& b) {
    return a.usbManufacturer == b.usbManufacturer && a.usbProduct == b.usbProduct &&
           a.serialNumber == b.serialNumber && a.inquiryVendor == b.inquiryVendor &&
           a.inquiryProduct == b.inquiryProduct && a.inquiryRevision == b.inquiryRevision &&
           a.vid == b.vid && a.pid == b.pid && a.firmwareRevision == b.firmwareRevision;
}

}  // namespace

std::uint8_t ReidentifyAspiDevice(DeviceContext& context, std::uint8_t adapter,
                                  std::uint8_t target) {
    const DeviceTable& table = context.state.table;
    if (table.selectedIndex >= DeviceTableCapacity) return 1;
    const DeviceRecord& selected = table.records[table.selectedIndex];

    // The inquiry is checked against the selected device's own texts; the identities from
    // the configuration are not touched.
    const image::InquiryIdentity identity = IdentityOf(selected);
    if (!aspi::Inquiry(context, adapter, target, {.fa = identity, .fb = identity})) return 1;

    if (!aspi::ReadDeviceInfo(context, adapter, target)) {
        context.host.window.MessageBox(aspi::StatusErrorMessage, core::ApplicationTitle,
                                       platform::MessageIcon::None);
        return 1;
    }

    // The answer is identified into a record of its own, so that no device in the table is
    // overwritten; the hardware code text identification sets is put back as well.
    const std::string hardwareCodeText = context.app.hardwareCodeText;
    DeviceRecord answer{};
    IdentifyRecord(context, answer);
    context.app.hardwareCodeText = hardwareCodeText;
    return SameDevice(answer, selected) ? 0 : 1;
}

}  // namespace kestrix::device
