#pragma once

#include <span>
#include <string>

#include "platform/sim/info_block.h"

// The registry keys under which the Windows 9x/ME storage drivers publish the drive letter of
// each slot of a reader, built from what the reader reports in its information block.
namespace kestrix::sim {

inline constexpr const char* DriveLetterValueName = "CurrentDriveLetterAssignment";
inline constexpr unsigned MaxPublishedSlot = 5;

// Parts of the key texts. Plain: every character as itself, a blank as '_'. Trimmed: the
// trailing blanks dropped, the other blanks as '_'. A zero byte adds nothing to either.
[[nodiscard]] std::string PlainKeyPart(std::span<const std::uint8_t> field);
[[nodiscard]] std::string TrimmedKeyPart(std::span<const std::uint8_t> field);

// Key texts for slot `slot` of the reader whose information block is `block`; empty for a
// slot above 5.
[[nodiscard]] std::string PortDriverAKeyText(const InfoBlock& block, unsigned slot);
[[nodiscard]] std::string PortDriverBKeyText(const InfoBlock& block, unsigned slot);
[[nodiscard]] std::string AspiKeyText(const InfoBlock& block, unsigned slot);

}  // namespace kestrix::sim
