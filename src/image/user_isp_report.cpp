#include "image/user_isp_report.h"

#include <cstdio>
#include <span>
#include <string_view>

namespace kestrix::image {
namespace {

constexpr std::size_t SeparatorWidth = 53;
constexpr std::string_view NoActive = "No Active";

// "0x" and the value in lower-case hex with the given number of digits, then one blank.
[[nodiscard]] std::string HexField(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x ", digits, value);
    return text;
}

// A fixed-width text as printed: its bytes, a zero byte adding nothing, then blanks up to width.
[[nodiscard]] std::string FieldText(std::span<const std::uint8_t> bytes, std::size_t width = 0) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        if (byte != 0) text.push_back(static_cast<char>(byte));
    }
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

class ReportText {
  public:
    void Separator() { Line(std::string(SeparatorWidth, '=')); }
    void Line(std::string_view line) {
        text_ += '\n';
        text_ += line;
    }
    void Line(std::string_view label, std::string_view value) {
        Line(label);
        text_ += value;
    }
    void Append(std::string_view more) { text_ += more; }
    [[nodiscard]] std::string Take() { return std::move(text_); }

  private:
    std::string text_;
};

[[nodiscard]] std::string_view OsLine(core::OsKind osKind) {
    switch (osKind) {
        case core::OsKind::Win98:
            return "OS            : Windows 98";
        case core::OsKind::WinMe:
            return "OS            : Windows ME";
        case core::OsKind::Win2K:
            return "OS            : Windows 2K";
        case core::OsKind::WinXP:
            return "OS            : Windows XP";
        default:
            return "OS            : Unknown";
    }
}

void SystemLines(ReportText& report, const DeviceConfig& config, core::OsKind osKind,
                 bool selfDriverSel, const std::string& driverFileName) {
    report.Line(OsLine(osKind));
    if (osKind == core::OsKind::Win98 || selfDriverSel) {
        report.Line("Device Driver : ", driverFileName);
    }
    report.Line("ISP USB ROMCODE: ", config.romCodeFile);
    report.Line("ISP ADDRESS    : ", config.stringAddressFile);
    report.Line("ISP KV7720 ROM : ", config.msRomCodeFile);
    report.Line("ISP BmpMap File: ", config.bmpMapFile);
}

void SettingLines(ReportText& report, const DeviceSettingBlock& setting) {
    static constexpr std::string_view RowHeaders[] = {
        "         0 ~ 7 : ", "         8 ~ 15: ", "        16 ~ 23: ", "        24 ~ 25: "};
    report.Line("DEV_setting    : ");
    for (std::size_t i = 0; i < setting.size(); ++i) {
        if (i % 8 == 0) report.Line(RowHeaders[i / 8]);
        report.Append(HexField(setting[i], 2));
    }
}

void UpdateLines(ReportText& report, const DeviceConfig& config) {
    report.Line("VID            : ", config.vidActive ? HexField(config.vid, 4) : NoActive);
    report.Line("PID            : ", config.pidActive ? HexField(config.pid, 4) : NoActive);
    report.Line("Str_Manufacture: ", config.manufacturerLength != 0
                                         ? FieldText(config.manufacturer, 25)
                                         : std::string(NoActive));
    report.Line("Str_Product    : ",
                config.productLength != 0 ? FieldText(config.product, 25) : std::string(NoActive));
    report.Line("Str_Serial     : ",
                config.serialGiven ? FieldText(config.serial) : std::string(NoActive));
    report.Line("Inq_Manufacture: ", config.inquiryVendorGiven ? FieldText(config.inquiryVendor, 9)
                                                               : std::string(NoActive));
    report.Line("Inq_Product    : ", config.inquiryProductGiven
                                         ? FieldText(config.inquiryProduct, 17)
                                         : std::string(NoActive));
    report.Line("Inq_Version    : ", config.inquiryRevisionGiven ? FieldText(config.inquiryRevision)
                                                                 : std::string(NoActive));
    if (config.deviceSettingGiven) {
        SettingLines(report, config.deviceSetting);
    } else {
        report.Line("DEV_Setting    : No Active");
    }
    report.Line("ROM SELECT CODE: ", HexField(config.romSelectCode, 2));
}

}  // namespace

std::string BuildUserIspReport(const DeviceConfig& config, core::OsKind osKind, bool selfDriverSel,
                               const std::string& driverFileName) {
    ReportText report;
    report.Separator();
    report.Line("==== SYSTEM Information For ISP");
    report.Separator();
    SystemLines(report, config, osKind, selfDriverSel, driverFileName);
    report.Separator();
    report.Line("====Update String Or Inquiry Information For ISP ");
    report.Separator();
    UpdateLines(report, config);
    report.Separator();
    return report.Take();
}

}  // namespace kestrix::image
