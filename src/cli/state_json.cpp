#include "cli/state_json.h"

#include <span>
#include <string>

#include "cli/text_encoding.h"

namespace kestrix::cli {

namespace {

using nlohmann::json;

std::string Hex(std::span<const std::uint8_t> bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty()) text += ' ';
        text += Digits[byte >> 4];
        text += Digits[byte & 0x0F];
    }
    return text;
}

const char* OsKindName(core::OsKind kind) {
    switch (kind) {
        case core::OsKind::Win98:
            return "Win98";
        case core::OsKind::WinMe:
            return "WinMe";
        case core::OsKind::Win2K:
            return "Win2K";
        case core::OsKind::WinXP:
            return "WinXP";
        case core::OsKind::Unknown:
            break;
    }
    return "Unknown";
}

std::string Letters(std::span<const std::uint8_t> letters, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && i < letters.size(); ++i) {
        if (letters[i] != 0) text += static_cast<char>(letters[i]);
    }
    return text;
}

json ConfigToJson(const image::DeviceConfig& c) {
    return {
        {"vid", c.vid},
        {"vidActive", c.vidActive},
        {"pid", c.pid},
        {"pidActive", c.pidActive},
        {"manufacturer", Hex(c.manufacturer)},
        {"manufacturerLength", c.manufacturerLength},
        {"product", Hex(c.product)},
        {"productLength", c.productLength},
        {"serial", Hex(c.serial)},
        {"serialGiven", c.serialGiven},
        {"inquiryVendor", Hex(c.inquiryVendor)},
        {"inquiryVendorGiven", c.inquiryVendorGiven},
        {"inquiryProduct", Hex(c.inquiryProduct)},
        {"inquiryProductGiven", c.inquiryProductGiven},
        {"inquiryRevision", Hex(c.inquiryRevision)},
        {"inquiryRevisionGiven", c.inquiryRevisionGiven},
        {"romCodeFile", AnsiToUtf8(c.romCodeFile)},
        {"stringAddressFile", AnsiToUtf8(c.stringAddressFile)},
        {"msRomCodeFile", AnsiToUtf8(c.msRomCodeFile)},
        {"bmpMapFile", AnsiToUtf8(c.bmpMapFile)},
        {"bmpMapGiven", c.bmpMapGiven},
        {"inquiryIdentityFa", Hex(c.inquiryIdentityFa)},
        {"inquiryIdentityFb", Hex(c.inquiryIdentityFb)},
        {"deviceSetting", Hex(c.deviceSetting)},
        {"deviceSettingGiven", c.deviceSettingGiven},
        {"romSelectCode", c.romSelectCode},
    };
}

json RecordToJson(std::size_t index, const device::DeviceRecord& r) {
    return {
        {"index", index},
        {"inUse", r.inUse},
        {"slotCount", r.slotCount},
        {"driveLetters", Letters(r.driveLetters, r.driveLetters.size())},
        {"infoExtra", Hex(r.infoExtra)},
        {"usbManufacturer", Hex(r.usbManufacturer)},
        {"usbProduct", Hex(r.usbProduct)},
        {"serialNumber", Hex(r.serialNumber)},
        {"inquiryVendor", Hex(r.inquiryVendor)},
        {"inquiryProduct", Hex(r.inquiryProduct)},
        {"inquiryRevision", Hex(r.inquiryRevision)},
        {"vid", Hex(r.vid)},
        {"pid", Hex(r.pid)},
        {"firmwareRevision", Hex(r.firmwareRevision)},
        {"msFirmwareRevision", Hex(r.msFirmwareRevision)},
        {"hardwareCode", Hex(r.hardwareCode)},
        {"aspiAdapter", r.aspiAdapter},
        {"aspiTarget", r.aspiTarget},
        {"usb20FirmwareRevision", Hex(r.usb20FirmwareRevision)},
        {"orgFirmwareRevision", Hex(r.orgFirmwareRevision)},
    };
}

json TableToJson(const device::DeviceTable& table) {
    json records = json::array();
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        // Records that are not in use but carry slots (a device whose reads failed) are
        // shown too: their slot count is part of what discovery found.
        const device::DeviceRecord& record = table.records[i];
        if (record.inUse != 0 || record.slotCount != 0) records.push_back(RecordToJson(i, record));
    }
    return {{"deviceCount", table.deviceCount},
            {"currentSlotCount", table.currentSlotCount},
            {"selectedIndex", table.selectedIndex},
            {"records", records}};
}

}  // namespace

json StateToJson(const app::System& system) {
    const core::AppState& app = system.app;
    return {
        {"osKind", OsKindName(app.osKind)},
        {"ispEnabled", app.ispEnabled},
        {"msFirmwareMode", app.msFirmwareMode},
        {"selfDriverSel", app.selfDriverSel},
        {"usePortDriverB", app.usePortDriverB},
        {"driverFileName", AnsiToUtf8(app.driverFileName)},
        {"hardwareCodeText", AnsiToUtf8(app.hardwareCodeText)},
        {"statusLog", AnsiToUtf8(app.statusLog)},
        {"lastDriverStatus", app.lastDriverStatus},
        {"counters",
         {{"success", app.counters.successCount},
          {"error", app.counters.errorCount},
          {"total", app.counters.totalCount}}},
        {"deviceConfig", ConfigToJson(system.deviceConfig)},
        {"deviceTable", TableToJson(system.device.table)},
    };
}

}  // namespace kestrix::cli
