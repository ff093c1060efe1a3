#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace kestrix::device_test {

// Bytes as lower-case hex with single blanks ("06 b2 01"), for readable comparisons.
[[nodiscard]] inline std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        if (!text.empty()) text.push_back(' ');
        text.append(digits);
    }
    return text;
}

}  // namespace kestrix::device_test
