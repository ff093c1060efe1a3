#pragma once

#include <cstddef>
#include <cstdint>

// Byte layout of the ASPI execute-SCSI request block and the values it carries. The logic
// builds the block byte for byte; the ASPI layer reads it and writes the status bytes.
// Addresses are 32-bit buffer tokens (see AddressSpace).
namespace kestrix::platform::aspi {

inline constexpr std::size_t RequestBlockSize = 256;

inline constexpr std::size_t CommandOffset = 0;         // u8, ExecuteScsiCommand
inline constexpr std::size_t StatusOffset = 1;          // u8, written by ASPI
inline constexpr std::size_t AdapterOffset = 2;         // u8, host adapter
inline constexpr std::size_t FlagsOffset = 3;           // u8
inline constexpr std::size_t TargetOffset = 8;          // u8
inline constexpr std::size_t LunOffset = 9;             // u8
inline constexpr std::size_t BufferLengthOffset = 12;   // u32
inline constexpr std::size_t BufferAddressOffset = 16;  // u32 token
inline constexpr std::size_t SenseLengthOffset = 20;    // u8
inline constexpr std::size_t CdbLengthOffset = 21;      // u8
inline constexpr std::size_t AdapterStatusOffset = 22;  // u8, written by ASPI
inline constexpr std::size_t TargetStatusOffset = 23;   // u8, written by ASPI
inline constexpr std::size_t PostRoutineOffset =
    24;                                       // u32; 0 here: the routine travels beside the block
inline constexpr std::size_t CdbOffset = 48;  // 16 bytes
inline constexpr std::size_t CdbCapacity = 16;
inline constexpr std::size_t SenseAreaOffset = 64;  // sense length + 2 bytes

inline constexpr std::uint8_t ExecuteScsiCommand = 2;

inline constexpr std::uint8_t FlagPosting = 0x01;
inline constexpr std::uint8_t FlagDataIn = 0x08;
inline constexpr std::uint8_t FlagDataOut = 0x10;

inline constexpr std::uint8_t StatusPending = 0x00;
inline constexpr std::uint8_t StatusCompleted = 0x01;  // completed without error
inline constexpr std::uint8_t StatusAborted = 0x02;
inline constexpr std::uint8_t StatusError = 0x04;
inline constexpr std::uint8_t StatusInvalidCommand = 0x80;
inline constexpr std::uint8_t StatusInvalidAdapter = 0x81;
inline constexpr std::uint8_t StatusNoDevice = 0x82;

inline constexpr std::uint8_t SenseLength = 14;

// GetASPI32SupportInfo answer: byte 0 adapters, byte 1 status.
[[nodiscard]] inline constexpr std::uint8_t SupportAdapterCount(std::uint32_t info) {
    return static_cast<std::uint8_t>(info & 0xFF);
}
[[nodiscard]] inline constexpr std::uint8_t SupportStatus(std::uint32_t info) {
    return static_cast<std::uint8_t>((info >> 8) & 0xFF);
}

}  // namespace kestrix::platform::aspi
