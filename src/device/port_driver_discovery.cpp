#include "device/port_driver_discovery.h"

#include <algorithm>
#include <array>
#include <string>

#include "device/device_info_layout.h"
#include "device/device_table_ops.h"
#include "device/port_driver.h"
#include "device/registry_keys.h"
#include "device/routed_counts.h"
#include "device/vendor_commands.h"

namespace kestrix::device {

namespace {

// A driver answering 0 or more than this is taken to serve one device with one slot.
constexpr std::uint32_t MaxReportedDevices = 127;
// Revision records whose OEM code is this also describe the USB 2.0 firmware.
constexpr std::uint8_t Usb20OemCode = 0x07;

using KeyFor = std::string (*)(const DeviceRecord&, unsigned);

// Steps 1 and 2 of both routines: the device count as the driver reports it. A driver may
// report more devices than the table holds; the count stays as reported, but only the
// devices that have a record are examined (the returned number).
std::uint32_t CountDevices(DeviceContext& context) {
    DeviceTable& table = context.state.table;
    table.deviceCount = 0;
    table.currentSlotCount = 0;
    std::uint32_t count = RoutedDeviceCount(context);
    if (count == 0 || count > MaxReportedDevices) {
        count = 1;
        table.currentSlotCount = 1;
    }
    table.deviceCount = count;
    return std::min<std::uint32_t>(count, DeviceTableCapacity);
}

// Asks the slot count of device `selectedIndex` unless the driver was taken to serve one
// device with one slot. False when the device has no slot or more than a record can hold.
bool TakeSlotCount(DeviceContext& context, std::size_t device) {
    DeviceTable& table = context.state.table;
    if (!(table.currentSlotCount == 1 && table.deviceCount == 1))
        table.currentSlotCount = RoutedSlotCount(context);
    if (table.currentSlotCount == 0 || table.currentSlotCount > MaxDriveLetters) return false;
    table.records[device].slotCount = static_cast<std::uint8_t>(table.currentSlotCount);
    return true;
}

void ReadSlotLetters(DeviceContext& context, std::size_t device, KeyFor keyFor) {
    DeviceRecord& record = context.state.table.records[device];
    const std::uint32_t slots =
        std::min<std::uint32_t>(context.state.table.currentSlotCount, MaxDriveLetters);
    for (unsigned slot = 0; slot < slots; ++slot)
        record.driveLetters[slot] = ReadDriveLetter(context, keyFor(record, slot));
}

void StoreRevision(DeviceInfoBlock& block, const std::array<std::uint8_t, 8>& revision,
                   std::size_t offset) {
    std::copy(revision.begin(), revision.end(),
              block.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

std::uint8_t DiscoverPortDriverA(DeviceContext& context) {
    DeviceTable& table = context.state.table;
    DeviceInfoBlock& block = context.state.infoBlock;
    const std::uint32_t count = CountDevices(context);
    for (std::uint32_t device = 0; device < count; ++device) {
        table.selectedIndex = device;
        if (!TakeSlotCount(context, device)) continue;
        PresetInfoBlock(block);
        const bool read = port_driver_a::ReadBlocksAlt(context, block, InfoBlockAddress, 1) ||
                          port_driver_a::ReadBlocks(context, block, InfoBlockAddress, 1);
        std::array<std::uint8_t, info_layout::RevisionRecordSize> revision{};
        if (!read) {
            // The device answers no block read: keep at least its revision, unidentified.
            PresetInfoBlock(block);
            if (!port_driver_a::ReadFirmwareRevision(context, revision)) {
                ClosePortDriver(context);
                table.selectedIndex = 0;
                return 2;
            }
            StoreRevision(block, revision, info_layout::FirmwareRevisionOffset);
            continue;
        }
        if (port_driver_a::ReadFirmwareRevision(context, revision) &&
            revision[info_layout::RevisionOemCodeIndex] == Usb20OemCode)
            StoreRevision(block, revision, info_layout::Usb20FirmwareRevisionOffset);
        IdentifyDevice(context, device);
        ReadSlotLetters(context, device, PortDriverARegistryKey);
    }
    table.selectedIndex = 0;
    return 0;
}

std::uint8_t DiscoverPortDriverB(DeviceContext& context) {
    DeviceTable& table = context.state.table;
    DeviceInfoBlock& block = context.state.infoBlock;
    const std::uint32_t count = CountDevices(context);
    for (std::uint32_t device = 0; device < count; ++device) {
        table.selectedIndex = device;
        if (!TakeSlotCount(context, device)) continue;
        block.fill(0);
        if (!port_driver_b::ReadDeviceInfo(context, device, block)) {
            ClosePortDriver(context);
            table.selectedIndex = 0;
            return 1;
        }
        IdentifyDevice(context, device);
        ReadSlotLetters(context, device, PortDriverBRegistryKey);
    }
    table.selectedIndex = 0;
    ClosePortDriver(context);
    return 0;
}

}  // namespace kestrix::device
