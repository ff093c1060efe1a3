#pragma once

#include <cstdint>
#include <string>

// The application state every subsystem reads: the detected system, the user's check-box
// flags and driver choice, the hardware code text, the report text and the ISP counters.
namespace kestrix::core {

enum class OsKind : std::int32_t { Unknown = 0, Win98 = 1, WinMe = 2, Win2K = 3, WinXP = 4 };

// Caption of every message box that names no caption of its own.
inline constexpr const char* ApplicationTitle = "kestrix-upgrade";

// The driver file name buffer holds 16 bytes including its terminator.
inline constexpr std::size_t DriverFileNameCapacity = 15;

struct IspCounters {
    std::uint32_t successCount = 0;
    std::uint32_t errorCount = 0;
    std::uint32_t totalCount = 0;
};

struct AppState {
    OsKind osKind = OsKind::Unknown;
    std::int32_t ispEnabled = 0;
    std::int32_t msFirmwareMode = 0;
    std::int32_t selfDriverSel = 0;
    std::int32_t usePortDriverB = 0;
    std::string driverFileName;  // at most DriverFileNameCapacity characters
    std::string hardwareCodeText;
    std::string statusLog;
    std::uint8_t lastDriverStatus = 0;
    IspCounters counters;
};

// Stores a driver file name the way the 16-byte buffer would: cut to 15 characters.
inline void SetDriverFileName(AppState& state, const std::string& name) {
    state.driverFileName = name.substr(0, DriverFileNameCapacity);
}

}  // namespace kestrix::core
