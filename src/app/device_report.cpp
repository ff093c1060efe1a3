#include "app/device_report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>
#include <string_view>

#include "app/control_ids.h"

namespace kestrix::app {

namespace {

// Hardware code prefixes of devices that have no USB 2.0 firmware revision.
constexpr std::array<std::string_view, 15> CodesWithoutUsb20Revision = {
    "2031", "2035", "2001", "2101", "2131", "2151", "2002", "2044",
    "2132", "2152", "2153", "2143", "2154", "2144", "2301"};

const std::string Separator = "\n" + std::string(53, '=');

template <typename... Args>
std::string Format(const char* format, Args... args) {
    std::array<char, 128> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), format, args...);
    return std::string(buffer.data(), static_cast<std::size_t>(std::max(length, 0)));
}

// A fixed-width device text: every byte as itself, a zero byte adds nothing.
std::string FieldText(std::span<const std::uint8_t> field, std::string_view after = {}) {
    std::string text;
    for (const std::uint8_t byte : field) {
        if (byte == 0) continue;
        text += static_cast<char>(byte);
        text += after;
    }
    return text;
}

// Bytes up to the first zero byte.
std::string TextUpToZero(std::span<const std::uint8_t> field) {
    std::string text;
    for (const std::uint8_t byte : field) {
        if (byte == 0) break;
        text += static_cast<char>(byte);
    }
    return text;
}

std::string RevisionRecordText(const std::array<std::uint8_t, 8>& r) {
    return Format("%x.%02x.%02x-200%x-%02d-%02d[OEM-%02x][CEM-%02x]", r[0], r[1], r[2], r[3], r[4],
                  r[5], r[6], r[7]);
}

bool IsMemoryStickCode(const std::array<std::uint8_t, 3>& code) {
    return code[0] == 0x10 && code[1] == 0x01;
}

}  // namespace

DeviceReport BuildDeviceReport(const core::AppState& app, const device::DeviceTable& table) {
    static const device::DeviceRecord EmptyRecord{};
    const device::DeviceRecord& record = table.selectedIndex < device::DeviceTableCapacity
                                             ? table.records[table.selectedIndex]
                                             : EmptyRecord;
    DeviceReport report;
    const auto& code = record.hardwareCode;
    report.hardwareCodeText = Format("%02x%02x%02x", code[0], code[1], code[2]);

    std::string& r = report.reportText;
    r = app.statusLog;
    r += Separator;
    r += "\n====  Device String And Inquiry Information     =====";
    r += Separator;
    r += "\n Str Manufacture Name :" + FieldText(record.usbManufacturer);
    r += "\n Str Product Name     :" + FieldText(record.usbProduct);
    r += "\n Str Serial Number    :" + FieldText(record.serialNumber, " ");
    r += "\n Device VID-PID       :" + Format("[%02x%02x]-[%02x%02x]", record.vid[0], record.vid[1],
                                              record.pid[0], record.pid[1]);
    r += "\n Inq Manufacture Name :" + FieldText(record.inquiryVendor);
    r += "\n Inq Product Name     :" + FieldText(record.inquiryProduct);
    r += "\n Inq Revision         :" + FieldText(record.inquiryRevision);
    r += "\n USB F/W Revision :" + RevisionRecordText(record.firmwareRevision);
    const auto& org = record.orgFirmwareRevision;
    r += Format("\n USB F/W RevisionOrg  :%x.%02x-200%x-%02d-%02d", org[0], org[1], org[2] >> 4,
                org[2] & 0x0F, org[3]);
    r += "\n MS F/W Revision      :";
    r += IsMemoryStickCode(code) ? TextUpToZero(record.msFirmwareRevision) : "N/A";
    r += Format("\n USB H/W Revision     :%02x%02x", code[0], code[1]);
    r += FieldText(std::span(code).subspan(2, 1));
    r += "\n USB20 F/W Revision   :";
    const std::string_view prefix = std::string_view(report.hardwareCodeText).substr(0, 4);
    const bool noUsb20 =
        IsMemoryStickCode(code) ||
        std::find(CodesWithoutUsb20Revision.begin(), CodesWithoutUsb20Revision.end(), prefix) !=
            CodesWithoutUsb20Revision.end();
    r += noUsb20 ? std::string("N/A") : RevisionRecordText(record.usb20FirmwareRevision);
    r += Separator;
    r += "\n";
    r += Format("\n Total Device Plug In : %x ", table.deviceCount);
    r += Format("\n The Device Select Now is : %x with %x slot.", table.selectedIndex + 1,
                record.slotCount);
    if (app.osKind == core::OsKind::WinMe && app.selfDriverSel == 0) {
        r += Format("\n Locate [Adapter:Target] : [%x:%x]", record.aspiAdapter, record.aspiTarget);
    }

    report.deviceName = FieldText(record.inquiryProduct);
    const std::size_t slots = std::min<std::size_t>(record.slotCount, record.driveLetters.size());
    for (std::size_t i = 0; i < slots; ++i) {
        report.deviceName += "[" + FieldText(std::span(record.driveLetters).subspan(i, 1)) + ":] ";
    }
    return report;
}

void ShowDeviceReport(System& system) {
    device::DeviceTable& table = system.device.table;
    const DeviceReport report = BuildDeviceReport(system.app, table);
    system.app.hardwareCodeText = report.hardwareCodeText;
    if (table.selectedIndex < device::DeviceTableCapacity) {
        table.currentSlotCount = table.records[table.selectedIndex].slotCount;
    }
    system.host.window.SetItemText(platform::MainDialogId, ReportAreaId, report.reportText);
    system.host.window.SetItemText(platform::MainDialogId, DeviceNameBoxId, report.deviceName);
}

}  // namespace kestrix::app
