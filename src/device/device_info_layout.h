#pragma once

#include <cstddef>

// Byte offsets of the 528-byte device information answer. Bytes not named here are not
// interpreted.
namespace kestrix::device::info_layout {

inline constexpr std::size_t VidOffset = 0x008;              // u16, little-endian
inline constexpr std::size_t PidOffset = 0x00A;              // u16, little-endian
inline constexpr std::size_t UsbManufacturerOffset = 0x02E;  // 24 bytes
inline constexpr std::size_t UsbProductOffset = 0x048;       // 16 bytes
inline constexpr std::size_t SerialOffset = 0x062;           // 12 UTF-16LE code units
inline constexpr std::size_t SerialUnits = 12;
inline constexpr std::size_t FirmwareRevisionOffset = 0x094;       // 8-byte revision record
inline constexpr std::size_t OemCodeOffset = 0x09A;                // preset to 0xFF before reads
inline constexpr std::size_t CemCodeOffset = 0x09B;                // preset to 0xFF before reads
inline constexpr std::size_t InquiryProductOffset = 0x09C;         // 16 bytes
inline constexpr std::size_t InquiryVendorOffset = 0x0B0;          // 8 bytes
inline constexpr std::size_t InquiryRevisionOffset = 0x0B8;        // 4 bytes
inline constexpr std::size_t MsRevisionOffset = 0x0BC;             // 8 bytes, byte pairs swapped
inline constexpr std::size_t InfoExtraOffset = 0x0CC;              // 8 bytes
inline constexpr std::size_t OrgFirmwareRevisionOffset = 0x17A;    // 4 bytes
inline constexpr std::size_t HardwareCodeOffset = 0x17E;           // 3 bytes
inline constexpr std::size_t Usb20FirmwareRevisionOffset = 0x208;  // 8-byte revision record

inline constexpr std::size_t RevisionRecordSize = 8;
inline constexpr std::size_t RevisionOemCodeIndex = 6;  // byte of a revision record

// Block reads deliver the first 512 bytes of the answer.
inline constexpr std::size_t BlockSize = 512;

}  // namespace kestrix::device::info_layout
