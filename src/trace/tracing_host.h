#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <ostream>
#include <string>

#include "platform/kernel.h"
#include "platform/modules.h"
#include "platform/registry.h"
#include "trace/trace_writer.h"

namespace kestrix::trace {

// Stands between the logic and a host: forwards every kernel, registry and module call to
// the wrapped objects unchanged and writes one JSON line per call to `out` (what was asked,
// what came back, and the request a DeviceIoControl or ASPI call carries, decoded). The
// wrapped objects and the stream must outlive it. Thread-safe as far as the wrapped objects
// are.
//
// Use Kernel(), Registry() and Modules() in place of the wrapped references when assembling
// a platform::Host.
class TracingHost : public platform::Kernel, public platform::Registry, public platform::Modules {
  public:
    TracingHost(platform::Kernel& kernel, platform::Registry& registry, platform::Modules& modules,
                std::ostream& out);
    TracingHost(const TracingHost&) = delete;
    TracingHost& operator=(const TracingHost&) = delete;

    [[nodiscard]] platform::Kernel& Kernel() { return *this; }
    [[nodiscard]] platform::Registry& Registry() { return *this; }
    [[nodiscard]] platform::Modules& Modules() { return *this; }

    // Kernel
    std::uint32_t GetVersion() override;
    platform::Handle CreateFileA(std::string_view path, std::uint32_t desiredAccess,
                                 std::uint32_t shareMode, std::uint32_t creationDisposition,
                                 std::uint32_t flagsAndAttributes) override;
    bool DeviceIoControl(platform::Handle device, std::uint32_t ioControlCode,
                         std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                         std::uint32_t& bytesReturned) override;
    bool CloseHandle(platform::Handle handle) override;
    std::uint32_t GetLogicalDrives() override;
    void Sleep(std::uint32_t milliseconds) override;

    // Registry
    std::int32_t RegOpenKeyExA(platform::RegKey root, std::string_view subKey,
                               std::uint32_t desiredAccess, platform::RegKey& result) override;
    std::int32_t RegQueryValueExA(platform::RegKey key, std::string_view valueName,
                                  std::span<std::uint8_t> data, std::uint32_t& dataLength) override;
    std::int32_t RegCloseKey(platform::RegKey key) override;

    // Modules
    platform::ModuleHandle LoadLibraryA(std::string_view name) override;
    platform::ProcAddress GetProcAddress(platform::ModuleHandle module,
                                         std::string_view name) override;
    bool FreeLibrary(platform::ModuleHandle module) override;
    std::uint32_t CallGetAspi32SupportInfo(platform::ProcAddress entry) override;
    std::uint32_t CallSendAspi32Command(platform::ProcAddress entry,
                                        std::span<std::uint8_t> requestBlock,
                                        platform::AspiPostRoutine postRoutine) override;

  private:
    [[nodiscard]] std::string KeyText(platform::RegKey key) const;

    platform::Kernel& kernel_;
    platform::Registry& registry_;
    platform::Modules& modules_;
    TraceWriter writer_;
    mutable std::mutex keysMutex_;
    std::map<platform::RegKey, std::string> openKeys_;  // handle -> key text, for the trace
};

}  // namespace kestrix::trace
