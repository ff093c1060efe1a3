#pragma once

#include <cstddef>
#include <cstdint>

// Byte layout of the 44-byte SCSI pass-through request header (IOCTL_SCSI_PASS_THROUGH) as
// a 32-bit Windows host lays it out. Both sides of the seam read and write it through
// these offsets.
namespace kestrix::platform::pass_through {

inline constexpr std::uint32_t IoctlScsiPassThrough = 0x0004D004u;

inline constexpr std::size_t HeaderSize = 44;
inline constexpr std::size_t LengthOffset = 0;               // u16
inline constexpr std::size_t ScsiStatusOffset = 2;           // u8, written by the device side
inline constexpr std::size_t PathIdOffset = 3;               // u8
inline constexpr std::size_t TargetIdOffset = 4;             // u8
inline constexpr std::size_t LunOffset = 5;                  // u8
inline constexpr std::size_t CdbLengthOffset = 6;            // u8
inline constexpr std::size_t SenseInfoLengthOffset = 7;      // u8
inline constexpr std::size_t DataInOffset = 8;               // u8
inline constexpr std::size_t DataTransferLengthOffset = 12;  // u32
inline constexpr std::size_t TimeOutValueOffset = 16;        // u32, seconds
inline constexpr std::size_t DataBufferOffsetOffset = 20;    // u32
inline constexpr std::size_t SenseInfoOffsetOffset = 24;     // u32
inline constexpr std::size_t CdbOffset = 28;                 // 16 bytes
inline constexpr std::size_t CdbCapacity = 16;

inline constexpr std::uint8_t DataOut = 0;  // SCSI_IOCTL_DATA_OUT
inline constexpr std::uint8_t DataIn = 1;   // SCSI_IOCTL_DATA_IN

}  // namespace kestrix::platform::pass_through
