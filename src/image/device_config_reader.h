#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "image/device_config.h"

// Fills the DeviceConfig from DEVICE.TXT.
namespace kestrix::image {

inline constexpr const char* DeviceTxtFileName = "DEVICE.TXT";

// Reads every key into config: found keys overwrite their fields, absent keys clear their flags
// (string keys keep their stored bytes, file names become empty), both accepted inquiry
// identities start from blanks, and RomSelectCode is 0 unless ROM_setting gives it. Returns false
// when the file cannot be opened or read; config is then left as an empty file leaves it.
[[nodiscard]] bool ReadDeviceConfig(const std::filesystem::path& deviceTxt, DeviceConfig& config);

// The same from the file's contents held in memory.
void ReadDeviceConfigFromText(std::string_view text, DeviceConfig& config);

// The string address file named after a ROM code file: the name up to and including its first
// ".", followed by "adr", when 1 to 8 characters precede that "."; otherwise empty.
[[nodiscard]] std::string StringAddressFileFor(std::string_view romCodeFile);

}  // namespace kestrix::image
