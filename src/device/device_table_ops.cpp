#include "device/device_table_ops.h"

#include <algorithm>

#include "device/device_info_layout.h"
#include "device/hardware_code.h"

namespace kestrix::device {

namespace {

namespace layout = info_layout;

template <std::size_t N>
void CopyFrom(const DeviceInfoBlock& block, std::size_t offset, std::array<std::uint8_t, N>& to) {
    std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(offset), N, to.begin());
}

}  // namespace

void PresetInfoBlock(DeviceInfoBlock& block) {
    block.fill(0);
    block[layout::OemCodeOffset] = 0xFF;
    block[layout::CemCodeOffset] = 0xFF;
}

void ResetDeviceTable(DeviceContext& context) {
    PresetInfoBlock(context.state.infoBlock);
    context.state.table = DeviceTable{};
    context.app.statusLog.clear();
}

void IdentifyRecord(DeviceContext& context, DeviceRecord& record) {
    const DeviceInfoBlock& block = context.state.infoBlock;
    record.inUse = 1;
    CopyFrom(block, layout::UsbManufacturerOffset, record.usbManufacturer);
    CopyFrom(block, layout::UsbProductOffset, record.usbProduct);
    CopyFrom(block, layout::InfoExtraOffset, record.infoExtra);
    CopyFrom(block, layout::InquiryVendorOffset, record.inquiryVendor);
    CopyFrom(block, layout::InquiryProductOffset, record.inquiryProduct);
    CopyFrom(block, layout::InquiryRevisionOffset, record.inquiryRevision);
    CopyFrom(block, layout::FirmwareRevisionOffset, record.firmwareRevision);
    CopyFrom(block, layout::Usb20FirmwareRevisionOffset, record.usb20FirmwareRevision);
    CopyFrom(block, layout::OrgFirmwareRevisionOffset, record.orgFirmwareRevision);
    record.serialNumber = ExtractSerialKey(block);
    // The answer carries the ids little-endian; the record keeps them high byte first.
    record.vid = {block[layout::VidOffset + 1], block[layout::VidOffset]};
    record.pid = {block[layout::PidOffset + 1], block[layout::PidOffset]};

    HardwareCode code;
    CopyFrom(block, layout::HardwareCodeOffset, code);
    // The text shows the code as the device reported it, even when it is not recognised.
    context.app.hardwareCodeText = HardwareCodeText(code);
    if (!IsKnownHardwareCode(code)) code = {0, 0, 0};
    record.hardwareCode = code;

    if (code == MemoryStickHardwareCode) {
        for (std::size_t i = 0; i < record.msFirmwareRevision.size(); i += 2) {
            record.msFirmwareRevision[i] = block[layout::MsRevisionOffset + i + 1];
            record.msFirmwareRevision[i + 1] = block[layout::MsRevisionOffset + i];
        }
    } else {
        record.msFirmwareRevision[4] = 0;
    }
}

void IdentifyDevice(DeviceContext& context, std::size_t index) {
    if (index >= DeviceTableCapacity) return;
    IdentifyRecord(context, context.state.table.records[index]);
}

SerialKey ExtractSerialKey(const DeviceInfoBlock& block) {
    SerialKey key{};
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = block[layout::SerialOffset + 2 * i];
    return key;
}

std::optional<std::size_t> FindRecordBySerial(const DeviceTable& table, const SerialKey& key) {
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        const DeviceRecord& record = table.records[i];
        if (record.inUse != 0 && record.serialNumber == key) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> FirstFreeRecord(const DeviceTable& table) {
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        if (table.records[i].inUse == 0) return i;
    }
    return std::nullopt;
}

std::optional<Placement> PlaceDevice(DeviceContext& context,
                                     std::optional<std::uint8_t> driveLetter) {
    DeviceTable& table = context.state.table;
    const SerialKey key = ExtractSerialKey(context.state.infoBlock);
    if (const auto found = FindRecordBySerial(table, key)) {
        DeviceRecord& record = table.records[*found];
        // A record holds at most MaxDriveLetters slots; a further slot of the same device is
        // left out, so that the slot count always matches the letters it can have.
        if (record.slotCount >= MaxDriveLetters) return std::nullopt;
        ++record.slotCount;
        table.currentSlotCount = record.slotCount;
        if (driveLetter) record.driveLetters[record.slotCount - 1] = *driveLetter;
        return Placement{.index = *found, .isNew = false};
    }
    const auto free = FirstFreeRecord(table);
    if (!free) return std::nullopt;
    DeviceRecord& record = table.records[*free];
    record.slotCount = 1;
    if (driveLetter) record.driveLetters[0] = *driveLetter;
    IdentifyDevice(context, *free);
    ++table.deviceCount;
    return Placement{.index = *free, .isNew = true};
}

}  // namespace kestrix::device
