#include "platform/sim/published_keys.h"

#include <cstdio>

namespace kestrix::sim {

namespace {

std::span<const std::uint8_t> Field(const InfoBlock& block, std::size_t offset, std::size_t size) {
    return std::span<const std::uint8_t>(block).subspan(offset, size);
}

std::string Vendor(const InfoBlock& block) {
    return PlainKeyPart(Field(block, info::InquiryVendorOffset, InquiryVendorSize));
}
std::string Product(const InfoBlock& block) {
    return PlainKeyPart(Field(block, info::InquiryProductOffset, InquiryProductSize));
}
std::string RevisionFirst(const InfoBlock& block) {
    return PlainKeyPart(Field(block, info::InquiryRevisionOffset, 1));
}

// "VID_%02x%02x&PID_%02x%02x&", the ids high byte first.
std::string VidPid(const InfoBlock& block) {
    char text[32];
    std::snprintf(text, sizeof text, "VID_%02x%02x&PID_%02x%02x&", block[info::VidOffset + 1],
                  block[info::VidOffset], block[info::PidOffset + 1], block[info::PidOffset]);
    return text;
}

// The low byte of each of the 12 serial number code units.
std::string Serial(const InfoBlock& block) {
    std::string serial;
    for (std::size_t i = 0; i < info::SerialChars; ++i) {
        const std::uint8_t c = block[info::SerialOffset + 2 * i];
        if (c != 0) serial += static_cast<char>(c);
    }
    return serial;
}

}  // namespace

std::string PlainKeyPart(std::span<const std::uint8_t> field) {
    std::string part;
    for (const std::uint8_t c : field) {
        if (c == 0) continue;
        part += c == ' ' ? '_' : static_cast<char>(c);
    }
    return part;
}

std::string TrimmedKeyPart(std::span<const std::uint8_t> field) {
    std::string text;
    for (const std::uint8_t c : field) {
        if (c != 0) text += static_cast<char>(c);
    }
    text.erase(text.find_last_not_of(' ') + 1);
    for (char& c : text) {
        if (c == ' ') c = '_';
    }
    return text;
}

std::string PortDriverAKeyText(const InfoBlock& block, unsigned slot) {
    if (slot > MaxPublishedSlot) return {};
    return "Enum\\SCSI\\________USB_DISK_DRIVER_0\\QXSYSDRV&DISK&0000USB&" + VidPid(block) +
           Serial(block) + "0" + std::to_string(slot);
}

std::string PortDriverBKeyText(const InfoBlock& block, unsigned slot) {
    if (slot > MaxPublishedSlot) return {};
    return "Enum\\SCSI\\" + Vendor(block) + Product(block) + RevisionFirst(block) +
           "\\QX20SYSD&DISK&0000USB&" + VidPid(block) + Serial(block) + "0" + std::to_string(slot);
}

std::string AspiKeyText(const InfoBlock& block, unsigned slot) {
    if (slot > MaxPublishedSlot) return {};
    return "Enum\\SCSI\\" + Vendor(block) + Product(block) + RevisionFirst(block) +
           "\\USBSTOR&DISK&VEN_" +
           TrimmedKeyPart(Field(block, info::InquiryVendorOffset, InquiryVendorSize)) + "&PROD_" +
           TrimmedKeyPart(Field(block, info::InquiryProductOffset, InquiryProductSize)) + "&REV_" +
           TrimmedKeyPart(Field(block, info::InquiryRevisionOffset, InquiryRevisionSize)) + "&" +
           Serial(block) + "&" + std::to_string(slot) + "00";
}

}  // namespace kestrix::sim
