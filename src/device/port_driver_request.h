#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/vendor_commands.h"

// The requests of the two Windows 9x port-driver dialects. Dialect A (control code 0x41)
// speaks 16-byte function-coded requests; dialect B (0x42) counts with the same 16-byte
// request and carries a 0x06-family command block in a 40-byte request for the rest.
// Buffer addresses are 32-bit tokens of pinned buffers.
namespace kestrix::device {

namespace port_request {

inline constexpr std::uint32_t IoctlDialectA = 0x41;
inline constexpr std::uint32_t IoctlDialectB = 0x42;

// 16-byte function-coded request.
inline constexpr std::size_t RequestSize = 16;
inline constexpr std::size_t FunctionOffset = 0;        // u32
inline constexpr std::size_t ParameterOffset = 4;       // u32, address or length
inline constexpr std::size_t AddressingOffset = 8;      // u32, device | unit | count or mode
inline constexpr std::size_t BufferAddressOffset = 12;  // u32 token
using Request = std::array<std::uint8_t, RequestSize>;

// Bits 31-24 device number, 23-16 logical unit, 15-0 block count or write mode.
[[nodiscard]] inline constexpr std::uint32_t AddressingWord(std::uint8_t device, std::uint8_t unit,
                                                            std::uint16_t countOrMode) {
    return (std::uint32_t{device} << 24) | (std::uint32_t{unit} << 16) | countOrMode;
}

// 40-byte command-block request.
inline constexpr std::size_t CdbRequestSize = 40;
inline constexpr std::size_t CdbFunctionOffset = 0;  // u32, always ExecuteCdb
inline constexpr std::size_t DeviceOffset = 4;       // u32
inline constexpr std::size_t TargetOffset = 8;       // u32
inline constexpr std::size_t CdbOffset = 12;         // 16 bytes: the block, then zeros
inline constexpr std::size_t CdbAreaSize = 16;
inline constexpr std::size_t DirectionOffset = 28;         // u32
inline constexpr std::size_t TransferLengthOffset = 32;    // u32
inline constexpr std::size_t CdbBufferAddressOffset = 36;  // u32 token
using CdbRequest = std::array<std::uint8_t, CdbRequestSize>;

enum class Direction : std::uint32_t { None = 0, In = 1, Out = 2 };

}  // namespace port_request

namespace port_driver_a {

inline constexpr std::uint32_t FunctionReadBlocks = 0x01;
inline constexpr std::uint32_t FunctionReadBlocksAlt = 0x1F;
inline constexpr std::uint32_t FunctionWriteBlocks = 0x20;
inline constexpr std::uint32_t FunctionGetDeviceCount = 0x0A;
inline constexpr std::uint32_t FunctionGetSlotCount = 0x0B;
inline constexpr std::uint32_t FunctionReadFirmwareRevision = 0x1A;
inline constexpr std::uint32_t FunctionJumpToIsp = 0x14;
inline constexpr std::uint32_t FunctionGetIspStatus = 0x15;
inline constexpr std::uint32_t FunctionWriteIspBlock = 0x16;

// The logical unit is always 0 in this tool.
[[nodiscard]] port_request::Request ReadBlocksRequest(std::uint8_t device, std::uint32_t address,
                                                      std::uint16_t count, std::uint32_t buffer);
[[nodiscard]] port_request::Request ReadBlocksAltRequest(std::uint8_t device, std::uint32_t address,
                                                         std::uint16_t count, std::uint32_t buffer);
[[nodiscard]] port_request::Request WriteBlocksRequest(std::uint8_t device, std::uint32_t address,
                                                       std::uint16_t count, std::uint32_t buffer);
// Always asks with device number 0.
[[nodiscard]] port_request::Request GetDeviceCountRequest(std::uint32_t answer);
[[nodiscard]] port_request::Request GetSlotCountRequest(std::uint8_t device, std::uint32_t answer);
[[nodiscard]] port_request::Request ReadFirmwareRevisionRequest(std::uint8_t device,
                                                                std::uint32_t answer);
[[nodiscard]] port_request::Request JumpToIspRequest(std::uint8_t device, std::uint32_t answer);
[[nodiscard]] port_request::Request GetIspStatusRequest(std::uint8_t device, std::uint32_t answer);
// L travels unpadded; no ROM select code.
[[nodiscard]] port_request::Request WriteIspBlockRequest(std::uint8_t device, std::uint32_t length,
                                                         IspWriteMode mode, std::uint32_t data);

}  // namespace port_driver_a

namespace port_driver_b {

inline constexpr std::uint32_t FunctionGetDeviceCount = 1;
inline constexpr std::uint32_t FunctionGetSlotCount = 2;
inline constexpr std::uint32_t FunctionExecuteCdb = 3;

[[nodiscard]] port_request::Request GetDeviceCountRequest(std::uint32_t answer);
[[nodiscard]] port_request::Request GetSlotCountRequest(std::uint8_t device, std::uint32_t answer);
[[nodiscard]] port_request::CdbRequest ReadDeviceInfoRequest(std::uint32_t device,
                                                             std::uint32_t target,
                                                             std::uint32_t answer);
[[nodiscard]] port_request::CdbRequest JumpToIspRequest(std::uint32_t device, std::uint32_t buffer);
[[nodiscard]] port_request::CdbRequest GetIspStatusRequest(std::uint32_t device,
                                                           std::uint32_t answer);
[[nodiscard]] port_request::CdbRequest WriteIspBlockRequest(
    std::uint32_t device, std::uint32_t target, IspWriteMode mode, std::uint8_t romSelectCode,
    std::uint32_t length, std::uint32_t paddedLength, std::uint32_t data);

}  // namespace port_driver_b

}  // namespace kestrix::device
