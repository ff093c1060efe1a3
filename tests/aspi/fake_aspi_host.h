#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/app_state.h"
#include "device/device_context.h"
#include "device/device_state.h"
#include "image/device_config.h"
#include "platform/host.h"
#include "platform/window_model.h"

// A host whose ASPI completes every accepted request on a worker thread of its own. By
// default a request completes while the issuing thread sleeps: the `completeAfterSleeps`-th
// Sleep after sending hands it to the worker and returns once the completion routine has
// run, so the number of polls is exact. With `freeRunning` the worker completes requests as
// soon as it gets to them and the done flag is the only hand-over between the threads.
namespace kestrix::aspi_test {

// One device answering at an adapter and target.
struct FakeTarget {
    std::array<std::uint8_t, 40> inquiry{};
    std::array<std::uint8_t, 528> info{};
    std::uint8_t ispStatus = 0;
    std::uint8_t inquiryStatus = 1;  // ASPI status the request completes with
    std::uint8_t infoStatus = 1;
    std::uint8_t ispCommandStatus = 1;  // JumpToIsp, GetIspStatus and WriteIspBlock
};

// What one request looked like when it was sent.
struct SentRequest {
    std::array<std::uint8_t, 256> block{};
    std::size_t allocated = 0;          // size of the pinned data buffer
    std::vector<std::uint8_t> dataOut;  // the data buffer's bytes when sent
    bool unpinnedAfterCompletion = false;
};

class FakeAspi : public platform::Modules {
  public:
    explicit FakeAspi(platform::AddressSpace& memory);
    ~FakeAspi() override;

    // Configuration.
    bool libraryPresent = true;
    bool exportsSupportInfo = true;
    bool exportsSendCommand = true;
    std::uint32_t supportInfo = 0x0101;  // one adapter, completed
    unsigned completeAfterSleeps = 1;
    bool freeRunning = false;
    std::map<std::pair<std::uint8_t, std::uint8_t>, FakeTarget> targets;

    // Observations.
    int loadCalls = 0;
    int freeCalls = 0;
    int supportInfoCalls = 0;
    [[nodiscard]] int LoadedReferences() const { return loadCalls - freeCalls; }
    [[nodiscard]] std::vector<SentRequest> Sent() const;

    // Called by the kernel's Sleep on the issuing thread.
    void OnSleep();

    platform::ModuleHandle LoadLibraryA(std::string_view name) override;
    platform::ProcAddress GetProcAddress(platform::ModuleHandle module,
                                         std::string_view name) override;
    bool FreeLibrary(platform::ModuleHandle module) override;
    std::uint32_t CallGetAspi32SupportInfo(platform::ProcAddress entry) override;
    std::uint32_t CallSendAspi32Command(platform::ProcAddress entry,
                                        std::span<std::uint8_t> requestBlock,
                                        platform::AspiPostRoutine postRoutine) override;

  private:
    struct Pending {
        std::span<std::uint8_t> block;
        platform::AspiPostRoutine routine;
        std::size_t sentIndex = 0;
        unsigned sleeps = 0;
    };
    void WorkerLoop();
    void Complete(Pending& pending);

    platform::AddressSpace& memory_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<SentRequest> sent_;
    std::optional<Pending> pending_;  // sent, not yet handed to the worker
    std::deque<Pending> handed_;      // with the worker
    std::size_t completed_ = 0;       // requests whose routine has run
    bool stop_ = false;
    std::thread worker_;
};

class FakeKernel : public platform::Kernel {
  public:
    explicit FakeKernel(FakeAspi& aspi) : aspi_(aspi) {}
    std::vector<std::uint32_t> sleeps;

    std::uint32_t GetVersion() override { return 0; }
    platform::Handle CreateFileA(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t,
                                 std::uint32_t) override {
        return platform::InvalidHandleValue;
    }
    bool DeviceIoControl(platform::Handle, std::uint32_t, std::span<const std::uint8_t>,
                         std::span<std::uint8_t>, std::uint32_t&) override {
        return false;
    }
    bool CloseHandle(platform::Handle) override { return true; }
    std::uint32_t GetLogicalDrives() override { return 0; }
    void Sleep(std::uint32_t milliseconds) override;

  private:
    FakeAspi& aspi_;
};

// Registry keys with a drive-letter value.
class FakeRegistry : public platform::Registry {
  public:
    std::map<std::string, std::string> letters;  // key text -> value
    std::vector<std::string> opened;             // every key asked for

    std::int32_t RegOpenKeyExA(platform::RegKey root, std::string_view subKey,
                               std::uint32_t desiredAccess, platform::RegKey& result) override;
    std::int32_t RegQueryValueExA(platform::RegKey key, std::string_view valueName,
                                  std::span<std::uint8_t> data, std::uint32_t& dataLength) override;
    std::int32_t RegCloseKey(platform::RegKey) override { return platform::ErrorSuccess; }

  private:
    std::vector<std::string> handles_;
};

class FakeConsole : public platform::Console {
  public:
    std::string text;
    void WriteStdout(std::string_view line) override { text += line; }
};

class FakeClock : public platform::Clock {
  public:
    platform::LocalDate GetLocalDate() override { return {2024, 1, 1}; }
};

// Everything a device operation needs, made afresh per test.
struct AspiWorld {
    AspiWorld();

    platform::AddressSpace memory;
    FakeAspi aspi{memory};
    FakeKernel kernel{aspi};
    FakeRegistry registry;
    FakeConsole console;
    FakeClock clock;
    platform::WindowModel window;
    platform::Host host{kernel, registry, aspi, clock, console, window, memory};
    core::AppState app;
    image::DeviceConfig config;
    std::unique_ptr<device::DeviceState> state = std::make_unique<device::DeviceState>();
    device::DeviceContext context{host, app, config, *state};

    [[nodiscard]] std::vector<std::string> MessageBoxes() const;
};

// A reader's texts and the answers built from them.
struct ReaderIdentity {
    std::string vendor = "Kestrix";       // padded to 8 with blanks
    std::string product = "Card Reader";  // padded to 16
    std::string revision = "1.00";        // padded to 4
    std::string serial = "000000000001";  // 12 characters
    std::uint16_t vid = 0x1234;
    std::uint16_t pid = 0x5678;
};

[[nodiscard]] std::array<std::uint8_t, 40> InquiryAnswer(const ReaderIdentity& reader);
[[nodiscard]] std::array<std::uint8_t, 528> InfoAnswer(const ReaderIdentity& reader);
[[nodiscard]] FakeTarget TargetFor(const ReaderIdentity& reader);
// The 28-byte identity a configuration would hold for the reader.
[[nodiscard]] image::InquiryIdentity IdentityFor(const ReaderIdentity& reader);

}  // namespace kestrix::aspi_test
