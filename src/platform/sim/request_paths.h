#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/sim/machine.h"

// Decoding the requests that reach the machine through the kernel and ASPI, each path
// checking its own request format before the reader sees the command. A malformed request
// fails and is recorded in the machine's rejections.
namespace kestrix::sim {

inline constexpr std::uint32_t PortDriverDialectA = 0x41;
inline constexpr std::uint32_t PortDriverDialectB = 0x42;
inline constexpr std::uint32_t SelfDriverJumpToIsp = 0x222004;
inline constexpr std::uint32_t SelfDriverGetIspStatus = 0x222008;
inline constexpr std::uint32_t SelfDriverWriteIspBlock = 0x22200C;
inline constexpr std::size_t SelfDriverRequestSize = 65552;

// IOCTL_SCSI_PASS_THROUGH on a drive letter.
[[nodiscard]] bool ServePassThrough(Machine& machine, char letter,
                                    std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output, std::uint32_t& bytesReturned);

// Port driver requests, dialect A (code 0x41) and B (code 0x42). `driver` names the device.
[[nodiscard]] bool ServePortDriver(Machine& machine, std::string_view driver, std::uint32_t code,
                                   std::span<const std::uint8_t> input,
                                   std::span<std::uint8_t> output, std::uint32_t& bytesReturned);

// The self driver's three ISP IOCTLs, addressed to the first reader.
[[nodiscard]] bool ServeSelfDriver(Machine& machine, std::uint32_t code,
                                   std::span<const std::uint8_t> input,
                                   std::span<std::uint8_t> output, std::uint32_t& bytesReturned);

// Executes an ASPI request block and leaves its status bytes in it; the block's data buffer
// is reached through the address space.
void ExecuteAspiRequest(Machine& machine, std::span<std::uint8_t> block);

}  // namespace kestrix::sim
