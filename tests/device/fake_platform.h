#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "device/device_context.h"
#include "device/device_state.h"
#include "image/device_config.h"
#include "platform/host.h"
#include "platform/window_model.h"

// A scriptable host for the device tests: it records every kernel and registry call with
// the exact bytes sent, opens only the paths it is told about, and hands each
// DeviceIoControl to a handler the test installs.
namespace kestrix::device_test {

struct CreateCall {
    std::string path;
    std::uint32_t access = 0;
    std::uint32_t share = 0;
    std::uint32_t disposition = 0;
    std::uint32_t flags = 0;
};

struct IoCall {
    platform::Handle handle = 0;
    std::uint32_t code = 0;
    std::vector<std::uint8_t> input;
    std::size_t outputLength = 0;
};

class FakeKernel : public platform::Kernel {
  public:
    // The handler answers one call: it may write `output` and buffers named by token.
    using IoHandler = std::function<bool(const IoCall& call, std::span<std::uint8_t> output)>;

    std::map<std::string, platform::Handle> openable;  // path -> handle CreateFileA gives
    std::uint32_t logicalDrives = 0;
    IoHandler onIo;  // none: every call fails

    std::vector<CreateCall> creates;
    std::vector<IoCall> ios;
    std::vector<platform::Handle> closed;

    // Handles opened and not closed again.
    [[nodiscard]] std::vector<platform::Handle> OpenHandles() const;

    std::uint32_t GetVersion() override { return 0; }
    platform::Handle CreateFileA(std::string_view path, std::uint32_t desiredAccess,
                                 std::uint32_t shareMode, std::uint32_t creationDisposition,
                                 std::uint32_t flagsAndAttributes) override;
    bool DeviceIoControl(platform::Handle device, std::uint32_t ioControlCode,
                         std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                         std::uint32_t& bytesReturned) override;
    bool CloseHandle(platform::Handle handle) override;
    std::uint32_t GetLogicalDrives() override { return logicalDrives; }
    void Sleep(std::uint32_t) override {}

  private:
    std::vector<platform::Handle> opened_;
};

class FakeRegistry : public platform::Registry {
  public:
    std::map<std::string, std::string> values;  // key text -> drive-letter value
    std::vector<std::string> openedKeys;        // every key asked for, in order
    std::vector<std::uint32_t> accesses;
    int queries = 0;
    int openKeys = 0;  // opened and not closed

    std::int32_t RegOpenKeyExA(platform::RegKey root, std::string_view subKey,
                               std::uint32_t desiredAccess, platform::RegKey& result) override;
    std::int32_t RegQueryValueExA(platform::RegKey key, std::string_view valueName,
                                  std::span<std::uint8_t> data, std::uint32_t& dataLength) override;
    std::int32_t RegCloseKey(platform::RegKey key) override;

  private:
    std::map<platform::RegKey, std::string> handles_;
    platform::RegKey next_ = 0x100;
};

class NoModules : public platform::Modules {
  public:
    platform::ModuleHandle LoadLibraryA(std::string_view) override { return 0; }
    platform::ProcAddress GetProcAddress(platform::ModuleHandle, std::string_view) override {
        return 0;
    }
    bool FreeLibrary(platform::ModuleHandle) override { return false; }
    std::uint32_t CallGetAspi32SupportInfo(platform::ProcAddress) override { return 0; }
    std::uint32_t CallSendAspi32Command(platform::ProcAddress, std::span<std::uint8_t>,
                                        platform::AspiPostRoutine) override {
        return 0;
    }
};

class FixedClock : public platform::Clock {
  public:
    platform::LocalDate GetLocalDate() override { return {2004, 5, 20}; }
};

class CapturingConsole : public platform::Console {
  public:
    std::string text;
    void WriteStdout(std::string_view line) override { text.append(line); }
};

// Everything a device operation needs, created afresh per test.
struct Bench {
    FakeKernel kernel;
    FakeRegistry registry;
    NoModules modules;
    FixedClock clock;
    CapturingConsole console;
    platform::WindowModel window;
    platform::AddressSpace memory;
    platform::Host host{kernel, registry, modules, clock, console, window, memory};
    core::AppState app;
    image::DeviceConfig config;
    std::unique_ptr<device::DeviceState> state = std::make_unique<device::DeviceState>();
    device::DeviceContext context{host, app, config, *state};

    // The bytes of the buffer a request names by token, as the driver side sees them.
    [[nodiscard]] std::span<std::uint8_t> Resolve(std::uint32_t token, std::size_t length) const {
        return memory.Resolve(token, length);
    }
};

// Little-endian u32 at `offset` of a recorded request.
[[nodiscard]] std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t offset);

}  // namespace kestrix::device_test
