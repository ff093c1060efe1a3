#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The table of detected card readers and the 528-byte device information answer from
// which a record is filled.
namespace kestrix::device {

inline constexpr std::size_t DeviceTableCapacity = 10;
inline constexpr std::size_t DeviceInfoBlockSize = 528;
inline constexpr std::size_t MaxDriveLetters = 5;

using DeviceInfoBlock = std::array<std::uint8_t, DeviceInfoBlockSize>;

struct DeviceRecord {
    std::uint32_t inUse = 0;
    std::uint8_t slotCount = 0;
    std::array<std::uint8_t, MaxDriveLetters> driveLetters{};
    std::array<std::uint8_t, 8> infoExtra{};
    std::array<std::uint8_t, 24> usbManufacturer{};
    std::array<std::uint8_t, 16> usbProduct{};
    std::array<std::uint8_t, 12> serialNumber{};
    std::array<std::uint8_t, 8> inquiryVendor{};
    std::array<std::uint8_t, 16> inquiryProduct{};
    std::array<std::uint8_t, 4> inquiryRevision{};
    std::array<std::uint8_t, 2> vid{};  // high byte first
    std::array<std::uint8_t, 2> pid{};  // high byte first
    std::array<std::uint8_t, 8> firmwareRevision{};
    std::array<std::uint8_t, 8> msFirmwareRevision{};
    std::array<std::uint8_t, 3> hardwareCode{};
    std::uint8_t aspiAdapter = 0;
    std::uint8_t aspiTarget = 0;
    std::array<std::uint8_t, 8> usb20FirmwareRevision{};
    std::array<std::uint8_t, 4> orgFirmwareRevision{};
};

struct DeviceTable {
    std::array<DeviceRecord, DeviceTableCapacity> records{};
    std::uint32_t deviceCount = 0;
    std::uint32_t currentSlotCount = 0;
    std::uint32_t selectedIndex = 0;
};

}  // namespace kestrix::device
