#pragma once

#include <array>
#include <cstdint>
#include <string>

// The three-byte hardware code a reader reports, the codes this tool knows and its text form.
namespace kestrix::device {

using HardwareCode = std::array<std::uint8_t, 3>;

// True for the exact codes 10 06 43 and 10 01 47 and for every code whose first two bytes
// belong to one of the known families (the third byte is free).
[[nodiscard]] bool IsKnownHardwareCode(const HardwareCode& code);

// Six lower-case hex digits, two per byte ("100643").
[[nodiscard]] std::string HardwareCodeText(const HardwareCode& code);

// The code whose Memory Stick side has a firmware revision of its own.
inline constexpr HardwareCode MemoryStickHardwareCode{0x10, 0x06, 0x43};

}  // namespace kestrix::device
