#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/vendor_commands.h"

// The private request the tool's own pass-through driver takes for the three ISP commands.
namespace kestrix::device::self_driver {

// Device type 0x22, functions 0x801..0x803, buffered transfer, any access.
[[nodiscard]] inline constexpr std::uint32_t ControlCode(std::uint32_t deviceType,
                                                         std::uint32_t function,
                                                         std::uint32_t method,
                                                         std::uint32_t access) {
    return (deviceType << 16) | (access << 14) | (function << 2) | method;
}
inline constexpr std::uint32_t IoctlJumpToIsp = ControlCode(0x22, 0x801, 0, 0);
inline constexpr std::uint32_t IoctlGetIspStatus = ControlCode(0x22, 0x802, 0, 0);
inline constexpr std::uint32_t IoctlWriteIspBlock = ControlCode(0x22, 0x803, 0, 0);

inline constexpr std::size_t RequestSize = 65552;
inline constexpr std::size_t CodeOffset = 0;            // u32, the control code itself
inline constexpr std::size_t LengthOffset = 4;          // u32, L (WriteIspBlock)
inline constexpr std::size_t ModeOffset = 8;            // u32, write mode (WriteIspBlock)
inline constexpr std::size_t AnswerAddressOffset = 12;  // u32 token of the one-byte answer
inline constexpr std::size_t DataOffset = 16;
inline constexpr std::size_t DataCapacity = 65536;

// Each fills all of `request` (RequestSize bytes); bytes without a field are zero.
void BuildJumpToIspRequest(std::span<std::uint8_t, RequestSize> request, std::uint32_t answerToken);
void BuildGetIspStatusRequest(std::span<std::uint8_t, RequestSize> request,
                              std::uint32_t answerToken);
// L is data.size(), which must not exceed DataCapacity (the excess is not copied).
void BuildWriteIspBlockRequest(std::span<std::uint8_t, RequestSize> request,
                               std::span<const std::uint8_t> data, IspWriteMode mode,
                               std::uint32_t answerToken);

}  // namespace kestrix::device::self_driver
