#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/win32_types.h"

namespace kestrix::platform {

// The kernel calls the device layer makes: opening drive and driver devices, sending
// them requests, enumerating drive letters, the system version and sleeping.
class Kernel {
  public:
    virtual ~Kernel() = default;

    [[nodiscard]] virtual std::uint32_t GetVersion() = 0;

    // Returns InvalidHandleValue on failure. No security attributes and no template are
    // ever passed, so they are not part of the call.
    [[nodiscard]] virtual Handle CreateFileA(std::string_view path, std::uint32_t desiredAccess,
                                             std::uint32_t shareMode,
                                             std::uint32_t creationDisposition,
                                             std::uint32_t flagsAndAttributes) = 0;

    // `input` and `output` may be the same memory (a pass-through request is sent and
    // answered in one buffer): an implementation reads all of `input` before it writes
    // `output`. Their sizes are the input and output lengths of the call. Buffers that a
    // request names by address are reached through the AddressSpace.
    [[nodiscard]] virtual bool DeviceIoControl(Handle device, std::uint32_t ioControlCode,
                                               std::span<const std::uint8_t> input,
                                               std::span<std::uint8_t> output,
                                               std::uint32_t& bytesReturned) = 0;

    virtual bool CloseHandle(Handle handle) = 0;

    [[nodiscard]] virtual std::uint32_t GetLogicalDrives() = 0;

    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace kestrix::platform
