#pragma once

#include <cstdint>
#include <string_view>

#include "image/device_config.h"

// The two setting keys of DEVICE.TXT, parsed from their whole value token (opening quote
// included). Positions past the end of the token read as zero bytes.
namespace kestrix::image {

// Last token position the Device_setting walk looks at.
inline constexpr std::size_t DeviceSettingWalkEnd = 256;
// Last token position searched for the "x" of ROM_setting.
inline constexpr std::size_t RomSettingSearchEnd = 4;

// Two characters to one byte; 0-9, A-F and a-f have their hex values, any other counts as 0.
[[nodiscard]] std::uint8_t ParseHexPair(char high, char low);

// Walks positions 0 to 256: each lower-case "x" takes the next two characters as the next byte
// and the walk goes on four positions further; pairs beyond the block's 26 bytes are ignored.
// Bytes the walk does not give are 0xFF.
[[nodiscard]] DeviceSettingBlock ParseDeviceSetting(std::string_view token);

// The byte given by the two characters after the first "x" among positions 0 to 4; 0 without one.
[[nodiscard]] std::uint8_t ParseRomSelectCode(std::string_view token);

}  // namespace kestrix::image
