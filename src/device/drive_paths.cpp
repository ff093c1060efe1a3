#include "device/drive_paths.h"

namespace kestrix::device {

namespace {
constexpr std::size_t DriverNameLimit = 15;
constexpr std::size_t DriveLetterPosition = 4;
}  // namespace

std::string DrivePath(std::uint8_t letter) {
    std::string path = "\\\\.\\C:";
    path[DriveLetterPosition] = static_cast<char>(letter);
    return path;
}

std::string DriverDevicePath(std::string_view driverFileName) {
    std::string path(DevicePathPrefix);
    const std::size_t dot = driverFileName.find('.');
    if (dot != std::string_view::npos && dot > 0 && dot < DriverNameLimit)
        path.append(driverFileName.substr(0, dot));
    return path;
}

}  // namespace kestrix::device
