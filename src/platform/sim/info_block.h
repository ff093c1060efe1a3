#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/sim/world.h"

// The answers a reader builds from its identity: the 528-byte device information block and
// the standard INQUIRY data.
namespace kestrix::sim {

using InfoBlock = std::array<std::uint8_t, InfoBlockSize>;

namespace info {
inline constexpr std::size_t VidOffset = 0x008;  // u16 little-endian
inline constexpr std::size_t PidOffset = 0x00A;  // u16 little-endian
inline constexpr std::size_t ManufacturerOffset = 0x02E;
inline constexpr std::size_t ManufacturerSize = 24;
inline constexpr std::size_t ProductOffset = 0x048;
inline constexpr std::size_t ProductSize = 16;
inline constexpr std::size_t SerialOffset = 0x062;  // 12 UTF-16LE code units
inline constexpr std::size_t SerialChars = 12;
inline constexpr std::size_t FirmwareRevisionOffset = 0x094;
inline constexpr std::size_t InquiryProductOffset = 0x09C;
inline constexpr std::size_t InquiryVendorOffset = 0x0B0;
inline constexpr std::size_t InquiryRevisionOffset = 0x0B8;
inline constexpr std::size_t MsRevisionOffset = 0x0BC;  // 8 characters, pairs swapped
inline constexpr std::size_t MsRevisionSize = 8;
inline constexpr std::size_t OrgFirmwareRevisionOffset = 0x17A;
inline constexpr std::size_t HardwareCodeOffset = 0x17E;
inline constexpr std::size_t Usb20FirmwareRevisionOffset = 0x208;
}  // namespace info

inline constexpr std::size_t InquiryVendorSize = 8;
inline constexpr std::size_t InquiryProductSize = 16;
inline constexpr std::size_t InquiryRevisionSize = 4;
inline constexpr std::size_t StandardInquirySize = 36;
inline constexpr std::size_t InquiryAnswerSize = 96;

// The information block of a reader with this identity, or its raw "infoBlock". While the
// Memory Stick side runs its ISP code (`msIspCode`), the Memory Stick revision field carries
// that code's revision.
[[nodiscard]] InfoBlock BuildInfoBlock(const Reader& reader, bool msIspCode);

struct InquiryIdentity {
    std::string_view vendor;
    std::string_view product;
    std::string_view revision;
    bool removable = true;
};

// Standard INQUIRY data (36 bytes, then zeros up to InquiryAnswerSize); the texts are padded
// with spaces.
[[nodiscard]] std::array<std::uint8_t, InquiryAnswerSize> BuildInquiry(const InquiryIdentity& id);

}  // namespace kestrix::sim
