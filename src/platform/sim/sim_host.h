#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "platform/address_space.h"
#include "platform/clock.h"
#include "platform/kernel.h"
#include "platform/modules.h"
#include "platform/registry.h"
#include "platform/sim/machine.h"
#include "platform/sim/world.h"

namespace kestrix::sim {

// One CreateFileA call as the host saw it.
struct OpenRecord {
    std::string path;
    std::uint32_t desiredAccess = 0;
    std::uint32_t shareMode = 0;
    std::uint32_t creationDisposition = 0;
    std::uint32_t flagsAndAttributes = 0;
    platform::Handle result = platform::InvalidHandleValue;
};

// The embedded host the tool runs on without hardware: a Windows 98-to-XP machine with the
// card readers, drives, drivers and ASPI library of a world. It decodes every request the
// logic sends, answers as the readers and drivers do, and fails malformed requests (and
// records why, see Rejections). Thread-safe: ASPI requests complete on a thread of their own.
class SimHost : public platform::Kernel,
                public platform::Registry,
                public platform::Modules,
                public platform::Clock {
  public:
    explicit SimHost(World world);
    ~SimHost() override;  // waits for pending ASPI completions
    SimHost(const SimHost&) = delete;
    SimHost& operator=(const SimHost&) = delete;

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

    // Clock
    platform::LocalDate GetLocalDate() override;

    [[nodiscard]] platform::AddressSpace& Memory() { return memory_; }
    // Every Sleep, in order.
    [[nodiscard]] const std::vector<std::uint32_t>& Sleeps() const;
    // The readers' state for reports: modes, ISP status, programmed lengths, call counts,
    // and the host's open handles and refused requests.
    [[nodiscard]] nlohmann::json StateJson() const;

    // For tests.
    [[nodiscard]] std::size_t ReaderCount() const;
    [[nodiscard]] ReaderModel::State ReaderState(std::size_t index) const;
    [[nodiscard]] std::size_t OpenHandleCount() const;
    [[nodiscard]] std::size_t OpenRegistryKeyCount() const;
    [[nodiscard]] std::uint32_t LoadedLibraryCount() const;
    [[nodiscard]] std::vector<OpenRecord> Opens() const;
    // Requests refused as malformed or out of order, each with the reason.
    [[nodiscard]] std::vector<std::string> Rejections() const;
    // The registry values the drivers and the world publish, by key text.
    [[nodiscard]] std::map<std::string, std::map<std::string, std::string>> RegistryValues() const;
    // Lets every ASPI request sent so far complete and blocks until each has been posted.
    void WaitForAspiIdle();

  private:
    struct OpenObject {
        enum class Kind { Drive, SelfDriver, PortDriver };
        Kind kind = Kind::Drive;
        char letter = 0;
        std::string name;
        std::uint32_t flags = 0;
    };
    struct AspiJob {
        std::span<std::uint8_t> block;
        platform::AspiPostRoutine post;
        bool valid = true;
    };

    void PublishRegistry();
    void AspiWorker();
    void Enqueue(AspiJob job);
    [[nodiscard]] bool AspiLoaded() const;

    platform::AddressSpace memory_;
    mutable std::mutex mutex_;  // guards everything below but the ASPI queue
    Machine machine_;
    std::map<platform::Handle, OpenObject> handles_;
    platform::Handle nextHandle_ = 0x100;
    std::vector<OpenRecord> opens_;
    std::vector<std::uint32_t> sleeps_;
    std::map<std::string, std::map<std::string, std::string>> registry_;  // keys upper-case
    std::map<std::string, std::map<std::string, std::string>> registryAsGiven_;
    std::map<platform::RegKey, std::string> openKeys_;
    platform::RegKey nextKey_ = 0x1000;
    std::uint32_t libraryReferences_ = 0;

    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<AspiJob> queue_;
    std::size_t released_ = 0;  // queued requests that may complete now
    std::size_t inFlight_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace kestrix::sim
