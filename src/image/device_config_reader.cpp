#include "image/device_config_reader.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <span>
#include <system_error>

#include "image/device_txt_keys.h"
#include "image/device_txt_reader.h"
#include "image/setting_values.h"

namespace kestrix::image {
namespace {

[[nodiscard]] bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A four-digit hex id; any other value leaves the id inactive and its stored value unchanged.
void ReadHexId(const KeyLookup& entry, std::uint16_t& id, bool& active) {
    active = entry.found && entry.value.size() == 4 &&
             std::all_of(entry.value.begin(), entry.value.end(), IsHexDigit);
    if (!active) return;
    id = static_cast<std::uint16_t>(ParseHexPair(entry.value[0], entry.value[1]) << 8 |
                                    ParseHexPair(entry.value[2], entry.value[3]));
}

// Copies the value into field and fills the rest with pad. The caller has checked that it fits.
void StoreText(std::string_view value, std::span<std::uint8_t> field, std::uint8_t pad) {
    std::fill(field.begin(), field.end(), pad);
    std::copy(value.begin(), value.end(), field.begin());
}

// A text field that keeps its stored bytes when the key is absent.
[[nodiscard]] bool ReadText(const KeyLookup& entry, std::span<std::uint8_t> field,
                            std::uint8_t pad) {
    if (!entry.found) return false;
    StoreText(entry.value, field, pad);
    return true;
}

// A field that takes exactly its own width.
[[nodiscard]] bool ReadExactText(const KeyLookup& entry, std::span<std::uint8_t> field) {
    if (!entry.found || entry.value.size() != field.size()) return false;
    StoreText(entry.value, field, ' ');
    return true;
}

// A file name is kept zero-terminated, so it ends at a zero byte of the value.
[[nodiscard]] std::string FileName(const KeyLookup& entry) {
    if (!entry.found) return {};
    return entry.value.substr(0, entry.value.find('\0'));
}

[[nodiscard]] std::array<std::string_view, DeviceTxtKeys.size()> KeyNames() {
    std::array<std::string_view, DeviceTxtKeys.size()> names;
    std::transform(DeviceTxtKeys.begin(), DeviceTxtKeys.end(), names.begin(),
                   [](const DeviceTxtKey& key) { return key.name; });
    return names;
}

void ReadIdentity(const DeviceTxtIndex& index, const DeviceTxtKey& vendor,
                  const DeviceTxtKey& product, const DeviceTxtKey& revision,
                  InquiryIdentity& identity) {
    const std::span<std::uint8_t> bytes(identity);
    (void)ReadText(index.Lookup(vendor.name, vendor.maxLength), bytes.subspan(0, 8), ' ');
    (void)ReadText(index.Lookup(product.name, product.maxLength), bytes.subspan(8, 16), ' ');
    (void)ReadExactText(index.Lookup(revision.name, revision.maxLength), bytes.subspan(24, 4));
}

[[nodiscard]] KeyLookup Find(const DeviceTxtIndex& index, const DeviceTxtKey& key) {
    return index.Lookup(key.name, key.maxLength);
}

}  // namespace

std::string StringAddressFileFor(std::string_view romCodeFile) {
    const std::size_t dot = romCodeFile.find('.');
    if (dot == std::string_view::npos || dot < 1 || dot > 8) return {};
    return std::string(romCodeFile.substr(0, dot + 1)) + "adr";
}

void ReadDeviceConfigFromText(std::string_view text, DeviceConfig& config) {
    const auto names = KeyNames();
    const DeviceTxtIndex index(text, names);

    ReadHexId(Find(index, KeyVid), config.vid, config.vidActive);
    ReadHexId(Find(index, KeyPid), config.pid, config.pidActive);

    const KeyLookup manufacturer = Find(index, KeyStringManufacture);
    config.manufacturerLength =
        ReadText(manufacturer, config.manufacturer, ' ') ? manufacturer.value.size() : 0;
    const KeyLookup product = Find(index, KeyStringProduct);
    config.productLength = ReadText(product, config.product, ' ') ? product.value.size() : 0;
    config.serialGiven =
        ReadText(Find(index, KeyStrSerial), std::span(config.serial).first(12), '\0');
    config.serial[12] = 0;
    config.inquiryVendorGiven =
        ReadText(Find(index, KeyInquiryManufacture), config.inquiryVendor, ' ');
    config.inquiryProductGiven =
        ReadText(Find(index, KeyInquiryProduct), config.inquiryProduct, ' ');
    config.inquiryRevisionGiven =
        ReadExactText(Find(index, KeyInquiryVersion), config.inquiryRevision);

    config.romCodeFile = FileName(Find(index, KeyIspRomCode));
    config.stringAddressFile = StringAddressFileFor(config.romCodeFile);
    config.msRomCodeFile = FileName(Find(index, KeyMsIspRomCode));
    config.bmpMapFile = FileName(Find(index, KeyBmpMapFile));
    config.bmpMapGiven = !config.bmpMapFile.empty();

    config.inquiryIdentityFa = BlankInquiryIdentity();
    config.inquiryIdentityFb = BlankInquiryIdentity();
    ReadIdentity(index, KeyFaInquiryManufacture, KeyFaInquiryProduct, KeyFaInquiryVersion,
                 config.inquiryIdentityFa);
    ReadIdentity(index, KeyFbInquiryManufacture, KeyFbInquiryProduct, KeyFbInquiryVersion,
                 config.inquiryIdentityFb);

    const KeyLookup setting = Find(index, KeyDeviceSetting);
    config.deviceSettingGiven = setting.found;
    if (setting.found) config.deviceSetting = ParseDeviceSetting(setting.token);

    const KeyLookup romSetting = Find(index, KeyRomSetting);
    config.romSelectCode = romSetting.found ? ParseRomSelectCode(romSetting.token) : 0;
}

bool ReadDeviceConfig(const std::filesystem::path& deviceTxt, DeviceConfig& config) {
    std::string text;
    bool opened = false;
    std::error_code error;
    if (!std::filesystem::is_directory(deviceTxt, error)) {
        std::ifstream file(deviceTxt, std::ios::binary);
        if (file) {
            std::array<char, 65536> chunk;
            while (file.read(chunk.data(), chunk.size()) || file.gcount() > 0) {
                text.append(chunk.data(), static_cast<std::size_t>(file.gcount()));
            }
            opened = !file.bad();
        }
    }
    if (!opened) text.clear();
    ReadDeviceConfigFromText(text, config);
    return opened;
}

}  // namespace kestrix::image
