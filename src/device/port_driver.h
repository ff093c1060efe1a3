#pragma once

#include <cstdint>
#include <span>

#include "device/device_context.h"
#include "device/vendor_commands.h"

// The two Windows 9x port-driver transports: requests sent with DeviceIoControl to the
// driver's device, opened by the chosen driver file's base name into portDriverHandle.
namespace kestrix::device {

// Open the driver's device (a driver handle left open is closed first). 0 on success, 1
// when it cannot be opened; portDriverHandle is then 0. Dialect B opens with
// delete-on-close.
[[nodiscard]] std::uint8_t OpenPortDriverA(DeviceContext& context);
[[nodiscard]] std::uint8_t OpenPortDriverB(DeviceContext& context);
void ClosePortDriver(DeviceContext& context);

// Dialect A. Every request names the device `selectedIndex`, except GetDeviceCount, which
// names device 0.
namespace port_driver_a {

// Fill the first count x 512 bytes of `buffer` (false without sending when it is shorter).
[[nodiscard]] bool ReadBlocks(DeviceContext& context, std::span<std::uint8_t> buffer,
                              std::uint32_t address, std::uint16_t count);
[[nodiscard]] bool ReadBlocksAlt(DeviceContext& context, std::span<std::uint8_t> buffer,
                                 std::uint32_t address, std::uint16_t count);
// Sends the first count x 512 bytes of `data`.
[[nodiscard]] bool WriteBlocks(DeviceContext& context, std::span<const std::uint8_t> data,
                               std::uint32_t address, std::uint16_t count);
// 0 when the request fails.
[[nodiscard]] std::uint8_t GetDeviceCount(DeviceContext& context);
[[nodiscard]] std::uint8_t GetSlotCount(DeviceContext& context);
// Fills the first 8 bytes of `buffer` with the revision record.
[[nodiscard]] bool ReadFirmwareRevision(DeviceContext& context, std::span<std::uint8_t> buffer);
[[nodiscard]] bool JumpToIsp(DeviceContext& context);
// `status` receives the answer byte in any case; it means something only on success.
[[nodiscard]] bool GetIspStatus(DeviceContext& context, std::uint8_t& status);
// Sends the block unpadded (L = data.size(), at most 65,536) and without ROM select code.
[[nodiscard]] bool WriteIspBlock(DeviceContext& context, std::span<const std::uint8_t> data,
                                 IspWriteMode mode);

}  // namespace port_driver_a

// Dialect B. JumpToIsp and GetIspStatus name the device `selectedIndex`; ReadDeviceInfo and
// WriteIspBlock the device their caller gives, target 0.
namespace port_driver_b {

[[nodiscard]] std::uint8_t GetDeviceCount(DeviceContext& context);
[[nodiscard]] std::uint8_t GetSlotCount(DeviceContext& context);
// Fills the first 528 bytes of `buffer` (false without sending when it is shorter).
[[nodiscard]] bool ReadDeviceInfo(DeviceContext& context, std::uint32_t device,
                                  std::span<std::uint8_t> buffer);
[[nodiscard]] bool JumpToIsp(DeviceContext& context);
[[nodiscard]] bool GetIspStatus(DeviceContext& context, std::uint8_t& status);
// Sends the first `paddedLength` bytes of `data`; L travels in the command block. False
// without sending when P exceeds 65,536 or the data.
[[nodiscard]] bool WriteIspBlock(DeviceContext& context, std::uint32_t device,
                                 std::span<const std::uint8_t> data, std::uint32_t length,
                                 std::uint32_t paddedLength, IspWriteMode mode);

}  // namespace port_driver_b

}  // namespace kestrix::device
