#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Hexadecimal text as world files and state reports write bytes.
namespace kestrix::sim {

// Bytes from pairs of hex digits. With `allowSpaces`, white space between the pairs is
// skipped. Empty when a character is not a hex digit or a pair is incomplete.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text,
                                                                     bool allowSpaces);

// A number written as hex digits only, at most `maxDigits` of them ("0x" prefix allowed).
[[nodiscard]] std::optional<std::uint32_t> ParseHexNumber(std::string_view text,
                                                          std::size_t maxDigits);

// "0a 1b ff": lower-case pairs separated by single blanks.
[[nodiscard]] std::string FormatHexBytes(std::span<const std::uint8_t> bytes);

// "0x9c": a byte as lower-case hex with prefix.
[[nodiscard]] std::string FormatHexByte(std::uint8_t value);

}  // namespace kestrix::sim
