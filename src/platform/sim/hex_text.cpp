#include "platform/sim/hex_text.h"

namespace kestrix::sim {

namespace {

constexpr char Digits[] = "0123456789abcdef";

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text, bool allowSpaces) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    int high = -1;
    for (const char c : text) {
        if (allowSpaces && IsSpace(c)) {
            if (high >= 0) return std::nullopt;  // a blank inside a pair
            continue;
        }
        const int value = DigitValue(c);
        if (value < 0) return std::nullopt;
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + value));
            high = -1;
        }
    }
    if (high >= 0) return std::nullopt;
    return bytes;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view text, std::size_t maxDigits) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > maxDigits || maxDigits > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        const int digit = DigitValue(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::string FormatHexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        if (!text.empty()) text += ' ';
        text += Digits[byte >> 4];
        text += Digits[byte & 0x0F];
    }
    return text;
}

std::string FormatHexByte(std::uint8_t value) {
    return std::string("0x") + Digits[value >> 4] + Digits[value & 0x0F];
}

}  // namespace kestrix::sim
