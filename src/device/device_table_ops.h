#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "device/device_context.h"

// Operations on the device table: reset, identification from the information answer, and
// placing a probed drive by its serial number.
namespace kestrix::device {

using SerialKey = std::array<std::uint8_t, 12>;

// Fills the information answer with zeros, then sets bytes 0x09A and 0x09B (the OEM and CEM
// codes of the firmware revision) to 0xFF, so that a device that leaves them untouched reads
// as FF FF.
void PresetInfoBlock(DeviceInfoBlock& block);

// Empties the information answer (bytes 0x09A and 0x09B preset to 0xFF), every record, the
// counts and the report text.
void ResetDeviceTable(DeviceContext& context);

// Fills `record` from the current information answer and sets the hardware code text.
void IdentifyRecord(DeviceContext& context, DeviceRecord& record);
// IdentifyRecord on table record `index` (0..9).
void IdentifyDevice(DeviceContext& context, std::size_t index);

[[nodiscard]] SerialKey ExtractSerialKey(const DeviceInfoBlock& block);
[[nodiscard]] std::optional<std::size_t> FindRecordBySerial(const DeviceTable& table,
                                                            const SerialKey& key);
[[nodiscard]] std::optional<std::size_t> FirstFreeRecord(const DeviceTable& table);

struct Placement {
    std::size_t index = 0;
    bool isNew = false;  // the record was taken and identified now
};

// Places the device whose information answer is current: merges it into the record with
// the same serial number (one more slot) or takes the first free record and identifies it.
// `driveLetter`, when given, is stored at the new slot's position. Empty when the table is
// full, or when the merged device has no room for another slot.
[[nodiscard]] std::optional<Placement> PlaceDevice(DeviceContext& context,
                                                   std::optional<std::uint8_t> driveLetter);

}  // namespace kestrix::device
