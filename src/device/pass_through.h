#pragma once

#include <cstdint>
#include <span>

#include "device/device_context.h"
#include "device/vendor_commands.h"

// The drive-letter transport: vendor commands of the 0x06 family sent as SCSI pass-through
// requests to the reader's drive path.
namespace kestrix::device::pass_through {

// Opens the drive path of `letter` into driveHandle (a drive handle left open is closed
// first). False when it cannot be opened; driveHandle is then 0.
[[nodiscard]] bool OpenDrive(DeviceContext& context, std::uint8_t letter);
void CloseDrive(DeviceContext& context);

// Opens the first drive letter of the selected record. 0 on success, 1 when the record is
// not in use (nothing is opened) or the drive cannot be opened.
[[nodiscard]] std::uint8_t OpenSelectedDrive(DeviceContext& context);

// Standard INQUIRY (logical unit 0); fills the first 36 bytes of `buffer`.
[[nodiscard]] bool Inquiry(DeviceContext& context, std::span<std::uint8_t> buffer);
// Fills the first 528 bytes of `buffer` with the device information answer.
[[nodiscard]] bool ReadDeviceInfo(DeviceContext& context, std::span<std::uint8_t> buffer);
[[nodiscard]] bool JumpToIsp(DeviceContext& context);
// `status` receives the answer byte in any case; it means something only on success.
[[nodiscard]] bool GetIspStatus(DeviceContext& context, std::uint8_t& status);

// Clears the pass-through buffer and puts `data` (at most 65,536 bytes) at the start of its
// data area, followed by zeros: what WriteIspBlock sends.
void StageIspData(DeviceState& state, std::span<const std::uint8_t> data);
// Sends the staged data: `length` L, `paddedLength` P (a multiple of 512, at most 65,536).
// The buffer is not cleared. False without sending for a P the buffer cannot carry.
[[nodiscard]] bool WriteIspBlock(DeviceContext& context, std::uint32_t length,
                                 std::uint32_t paddedLength, IspWriteMode mode);

}  // namespace kestrix::device::pass_through
