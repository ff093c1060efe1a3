#include "device/hardware_code.h"

#include <algorithm>
#include <cstdio>

namespace kestrix::device {

namespace {

constexpr std::array<HardwareCode, 2> ExactCodes{{{0x10, 0x06, 0x43}, {0x10, 0x01, 0x47}}};

// First two bytes of the families, as they read in hex ("2031" is 20 31).
constexpr std::array<std::array<std::uint8_t, 2>, 16> Families{{
    {0x10, 0x26},
    {0x20, 0x31},
    {0x20, 0x35},
    {0x20, 0x01},
    {0x21, 0x01},
    {0x21, 0x31},
    {0x21, 0x51},
    {0x20, 0x02},
    {0x20, 0x44},
    {0x21, 0x32},
    {0x21, 0x52},
    {0x21, 0x53},
    {0x21, 0x43},
    {0x21, 0x54},
    {0x21, 0x44},
    {0x23, 0x01},
}};

}  // namespace

bool IsKnownHardwareCode(const HardwareCode& code) {
    if (std::find(ExactCodes.begin(), ExactCodes.end(), code) != ExactCodes.end()) return true;
    return std::any_of(Families.begin(), Families.end(), [&](const auto& family) {
        return family[0] == code[0] && family[1] == code[1];
    });
}

std::string HardwareCodeText(const HardwareCode& code) {
    char text[7] = {};
    std::snprintf(text, sizeof text, "%02x%02x%02x", code[0], code[1], code[2]);
    return text;
}

}  // namespace kestrix::device
