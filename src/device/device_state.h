#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "device/device_table.h"
#include "platform/win32_types.h"

namespace kestrix::device {

inline constexpr std::size_t PassThroughBufferSize = 65616;

// What the ASPI transport keeps between its calls. The completion routine may run on
// another thread: it writes its results, then publishes the done flag with release
// ordering; the waiting thread reads the flag with acquire ordering before the results.
struct AspiState {
    platform::ModuleHandle library = 0;
    platform::ProcAddress getSupportInfoEntry = 0;
    platform::ProcAddress sendCommandEntry = 0;
    std::uint32_t supportInfo = 0;
    std::atomic<std::uint8_t> done{0};
    std::atomic<std::uint8_t> error{0};
    std::atomic<std::uint8_t> match{0};
    std::uint8_t matchAdapter = 0;
    std::uint8_t matchTarget = 0;
    std::uint8_t ispStatus = 0;
};

// The device subsystem's process-wide state: the table, the information answer, the
// pass-through buffer, the open handles and the ASPI state.
struct DeviceState {
    DeviceTable table;
    DeviceInfoBlock infoBlock{};
    std::array<std::uint8_t, PassThroughBufferSize> passThroughBuffer{};
    platform::Handle driveHandle = 0;
    platform::Handle selfDriverHandle = 0;
    platform::Handle portDriverHandle = 0;
    AspiState aspi;
};

}  // namespace kestrix::device
