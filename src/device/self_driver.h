#pragma once

#include <cstdint>
#include <span>

#include "device/device_context.h"
#include "device/vendor_commands.h"

// The tool's own pass-through driver: its device is opened by the driver file's base name;
// the block reads and counts travel as 0xFF-family command blocks on the drive handle,
// the three ISP commands as private control codes on the driver's device.
namespace kestrix::device {

inline constexpr const char* SelfDriverLoadFailedLine = "Loading HvBrdg.Sys is Failed!\n";

// Opens the self driver's device into selfDriverHandle (one left open is closed first).
// 0 on success; 1 on failure, with selfDriverHandle 0 and the failure line on the standard
// output. With `probeOnly` the handle is closed again at once.
[[nodiscard]] std::uint8_t OpenSelfDriver(DeviceContext& context, bool probeOnly);
[[nodiscard]] std::uint8_t ProbeSelfDriver(DeviceContext& context);
void CloseSelfDriver(DeviceContext& context);

namespace self_driver {

// On the drive handle. Fill the first 512 bytes of `buffer`, whatever `count` is.
[[nodiscard]] bool ReadBlocks(DeviceContext& context, std::span<std::uint8_t> buffer,
                              std::uint32_t address, std::uint8_t count);
[[nodiscard]] bool ReadBlocksAlt(DeviceContext& context, std::span<std::uint8_t> buffer,
                                 std::uint32_t address, std::uint8_t count);
// Probe the driver first; 0 when it cannot be opened or the request fails.
[[nodiscard]] std::uint8_t GetDeviceCount(DeviceContext& context);
[[nodiscard]] std::uint8_t GetSlotCount(DeviceContext& context);

// On the open self driver.
[[nodiscard]] bool JumpToIsp(DeviceContext& context);
// `status` receives the answer byte in any case; it means something only on success.
[[nodiscard]] bool GetIspStatus(DeviceContext& context, std::uint8_t& status);
// Sends the block unpadded (L = data.size(), at most 65,536) and without ROM select code.
[[nodiscard]] bool WriteIspBlock(DeviceContext& context, std::span<const std::uint8_t> data,
                                 IspWriteMode mode);

}  // namespace self_driver

}  // namespace kestrix::device
