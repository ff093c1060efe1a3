#include "image/setting_values.h"

namespace kestrix::image {
namespace {

[[nodiscard]] std::uint8_t HexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    return 0;
}

[[nodiscard]] char At(std::string_view token, std::size_t pos) {
    return pos < token.size() ? token[pos] : '\0';
}

}  // namespace

std::uint8_t ParseHexPair(char high, char low) {
    return static_cast<std::uint8_t>(HexValue(high) * 16 + HexValue(low));
}

DeviceSettingBlock ParseDeviceSetting(std::string_view token) {
    DeviceSettingBlock block;
    block.fill(0xFF);
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos <= DeviceSettingWalkEnd && count < block.size()) {
        if (At(token, pos) == 'x') {
            block[count++] = ParseHexPair(At(token, pos + 1), At(token, pos + 2));
            pos += 4;
        } else {
            ++pos;
        }
    }
    return block;
}

std::uint8_t ParseRomSelectCode(std::string_view token) {
    for (std::size_t pos = 0; pos <= RomSettingSearchEnd; ++pos) {
        if (At(token, pos) == 'x') return ParseHexPair(At(token, pos + 1), At(token, pos + 2));
    }
    return 0;
}

}  // namespace kestrix::image
