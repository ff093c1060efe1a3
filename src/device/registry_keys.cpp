#include "device/registry_keys.h"

#include <array>
#include <cstdio>

namespace kestrix::device {

namespace {

constexpr unsigned MaxKeySlot = 5;
constexpr std::size_t DriveLetterBufferSize = 5;

// Each character as itself, a space as '_'; a zero byte adds nothing.
template <std::size_t N>
std::string Underscored(const std::array<std::uint8_t, N>& field, std::size_t count = N) {
    std::string text;
    for (std::size_t i = 0; i < count && i < N; ++i) {
        if (field[i] == 0) continue;
        text.push_back(field[i] == ' ' ? '_' : static_cast<char>(field[i]));
    }
    return text;
}

// As Underscored, with the trailing spaces dropped first.
template <std::size_t N>
std::string Trimmed(const std::array<std::uint8_t, N>& field) {
    std::string text;
    for (const std::uint8_t byte : field) {
        if (byte != 0) text.push_back(static_cast<char>(byte));
    }
    const std::size_t end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
    for (char& c : text) {
        if (c == ' ') c = '_';
    }
    return text;
}

std::string VidPid(const DeviceRecord& record) {
    char text[32] = {};
    std::snprintf(text, sizeof text, "VID_%02x%02x&PID_%02x%02x&", record.vid[0], record.vid[1],
                  record.pid[0], record.pid[1]);
    return text;
}

std::string Serial(const DeviceRecord& record) {
    std::string text;
    for (const std::uint8_t byte : record.serialNumber) {
        if (byte != 0) text.push_back(static_cast<char>(byte));
    }
    return text;
}

// "Enum\SCSI\" followed by V, P and R.
std::string ScsiPrefix(const DeviceRecord& record) {
    return "Enum\\SCSI\\" + Underscored(record.inquiryVendor) + Underscored(record.inquiryProduct) +
           Underscored(record.inquiryRevision, 1);
}

}  // namespace

std::string PortDriverARegistryKey(const DeviceRecord& record, unsigned slot) {
    if (slot > MaxKeySlot) return {};
    return "Enum\\SCSI\\________USB_DISK_DRIVER_0\\QXSYSDRV&DISK&0000USB&" + VidPid(record) +
           Serial(record) + "0" + std::to_string(slot);
}

std::string PortDriverBRegistryKey(const DeviceRecord& record, unsigned slot) {
    if (slot > MaxKeySlot) return {};
    return ScsiPrefix(record) + "\\QX20SYSD&DISK&0000USB&" + VidPid(record) + Serial(record) + "0" +
           std::to_string(slot);
}

std::string AspiRegistryKey(const DeviceRecord& record, unsigned slot) {
    if (slot > MaxKeySlot) return {};
    return ScsiPrefix(record) + "\\USBSTOR&DISK&VEN_" + Trimmed(record.inquiryVendor) + "&PROD_" +
           Trimmed(record.inquiryProduct) + "&REV_" + Trimmed(record.inquiryRevision) + "&" +
           Serial(record) + "&" + std::to_string(slot) + "00";
}

std::uint8_t ReadDriveLetter(DeviceContext& context, const std::string& key) {
    if (key.empty()) return 0;
    platform::Registry& registry = context.host.registry;
    platform::RegKey opened = 0;
    if (registry.RegOpenKeyExA(platform::HkeyLocalMachine, key, platform::KeyAllAccess, opened) !=
        platform::ErrorSuccess)
        return 0;
    std::array<std::uint8_t, DriveLetterBufferSize> value{};
    std::uint32_t length = static_cast<std::uint32_t>(value.size());
    const std::int32_t result =
        registry.RegQueryValueExA(opened, DriveLetterValueName, value, length);
    registry.RegCloseKey(opened);
    return result == platform::ErrorSuccess ? value[0] : 0;
}

}  // namespace kestrix::device
