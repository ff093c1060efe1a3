#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The values read from DEVICE.TXT: the identity written into programmed devices, the
// firmware file names, the two accepted inquiry identities and the device settings.
namespace kestrix::image {

inline constexpr std::size_t InquiryIdentitySize = 28;
inline constexpr std::size_t DeviceSettingSize = 26;
using InquiryIdentity = std::array<std::uint8_t, InquiryIdentitySize>;
using DeviceSettingBlock = std::array<std::uint8_t, DeviceSettingSize>;

[[nodiscard]] inline InquiryIdentity BlankInquiryIdentity() {
    InquiryIdentity identity;
    identity.fill(' ');
    return identity;
}

struct DeviceConfig {
    std::uint16_t vid = 0;
    bool vidActive = false;
    std::uint16_t pid = 0;
    bool pidActive = false;
    std::array<std::uint8_t, 24> manufacturer{};  // characters, then blanks
    std::size_t manufacturerLength = 0;           // 0 = none
    std::array<std::uint8_t, 24> product{};
    std::size_t productLength = 0;
    std::array<std::uint8_t, 13> serial{};  // characters, then zeros; byte 12 always zero
    bool serialGiven = false;
    std::array<std::uint8_t, 8> inquiryVendor{};  // characters, then blanks
    bool inquiryVendorGiven = false;
    std::array<std::uint8_t, 16> inquiryProduct{};
    bool inquiryProductGiven = false;
    std::array<std::uint8_t, 4> inquiryRevision{};
    bool inquiryRevisionGiven = false;
    std::string romCodeFile;        // at most 12 characters
    std::string stringAddressFile;  // derived from romCodeFile
    std::string msRomCodeFile;
    std::string bmpMapFile;
    bool bmpMapGiven = false;
    InquiryIdentity inquiryIdentityFa = BlankInquiryIdentity();
    InquiryIdentity inquiryIdentityFb = BlankInquiryIdentity();
    std::array<std::uint8_t, DeviceSettingSize> deviceSetting{};
    bool deviceSettingGiven = false;
    std::uint8_t romSelectCode = 0;
};

}  // namespace kestrix::image
