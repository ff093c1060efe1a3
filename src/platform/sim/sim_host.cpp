#include "platform/sim/sim_host.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>

#include "platform/aspi_layout.h"
#include "platform/pass_through_layout.h"
#include "platform/sim/hex_text.h"
#include "platform/sim/published_keys.h"
#include "platform/sim/request_paths.h"

namespace kestrix::sim {

namespace {

constexpr std::string_view DevicePrefix = "\\\\.\\";
constexpr platform::ModuleHandle AspiModule = 0x10000000u;
constexpr platform::ProcAddress SupportInfoEntry = 0x10001000u;
constexpr platform::ProcAddress SendCommandEntry = 0x10002000u;

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

bool IsPortDriver(std::string_view name) {
    return name == "QXDKPDRV" || name == "ZN_URDR" || name == "QX20DISK";
}

}  // namespace

SimHost::SimHost(World world) : machine_(std::move(world), memory_) {
    PublishRegistry();
}

SimHost::~SimHost() {
    {
        std::lock_guard lock(queueMutex_);
        stopping_ = true;
    }
    queueChanged_.notify_all();
    if (worker_.joinable()) worker_.join();
}

// The storage drivers publish the drive letter of each reader slot; the world may add or
// replace values.
void SimHost::PublishRegistry() {
    const World& world = machine_.GetWorld();
    const bool portA = machine_.HasDriver("QXDKPDRV") || machine_.HasDriver("ZN_URDR");
    const bool portB = machine_.HasDriver("QX20DISK");
    const bool aspi = world.aspi && world.aspi->library != AspiLibrary::Missing;
    for (const ReaderModel& reader : machine_.Readers()) {
        const InfoBlock block = BuildInfoBlock(reader.Config(), false);
        const auto& slots = reader.Config().slots;
        for (unsigned k = 0; k < slots.size() && k <= MaxPublishedSlot; ++k) {
            const std::string letter(1, slots[k]);
            if (portA)
                registryAsGiven_[PortDriverAKeyText(block, k)][DriveLetterValueName] = letter;
            if (portB)
                registryAsGiven_[PortDriverBKeyText(block, k)][DriveLetterValueName] = letter;
            if (aspi) registryAsGiven_[AspiKeyText(block, k)][DriveLetterValueName] = letter;
        }
    }
    for (const auto& [key, values] : world.registry) {
        for (const auto& [name, data] : values) registryAsGiven_[key][name] = data;
    }
    // Key and value names compare without regard to case.
    for (const auto& [key, values] : registryAsGiven_) {
        for (const auto& [name, data] : values) registry_[Upper(key)][Upper(name)] = data;
    }
}

// Kernel ------------------------------------------------------------------------------------

std::uint32_t SimHost::GetVersion() {
    std::lock_guard lock(mutex_);
    return machine_.GetWorld().version;
}

platform::Handle SimHost::CreateFileA(std::string_view path, std::uint32_t desiredAccess,
                                      std::uint32_t shareMode, std::uint32_t creationDisposition,
                                      std::uint32_t flagsAndAttributes) {
    std::lock_guard lock(mutex_);
    OpenRecord record{std::string(path),   desiredAccess,      shareMode,
                      creationDisposition, flagsAndAttributes, platform::InvalidHandleValue};
    std::optional<OpenObject> object;
    if (path.starts_with(DevicePrefix)) {
        const std::string_view rest = path.substr(DevicePrefix.size());
        if (rest.size() == 2 && rest[1] == ':' &&
            std::isalpha(static_cast<unsigned char>(rest[0]))) {
            const char letter =
                static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0])));
            if (machine_.SlotOfLetter(letter) || machine_.IsPlainDrive(letter))
                object = OpenObject{OpenObject::Kind::Drive, letter, {}, flagsAndAttributes};
        } else {
            const std::string name = Upper(rest);
            if (machine_.HasDriver(name)) {
                object = OpenObject{
                    name == "HVBRDG" ? OpenObject::Kind::SelfDriver : OpenObject::Kind::PortDriver,
                    0, name, flagsAndAttributes};
            }
        }
    }
    if (object && creationDisposition != platform::OpenExisting) {
        machine_.Reject("CreateFileA " + std::string(path) +
                        ": a device opens only with OPEN_EXISTING");
        object.reset();
    }
    if (object) {
        record.result = nextHandle_;
        handles_.emplace(nextHandle_, *object);
        nextHandle_ += 4;
    }
    opens_.push_back(record);
    return record.result;
}

bool SimHost::DeviceIoControl(platform::Handle device, std::uint32_t ioControlCode,
                              std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                              std::uint32_t& bytesReturned) {
    std::lock_guard lock(mutex_);
    bytesReturned = 0;
    const auto it = handles_.find(device);
    if (it == handles_.end()) {
        machine_.Reject("DeviceIoControl on handle " + std::to_string(device) +
                        ", which is not open");
        return false;
    }
    const OpenObject& object = it->second;
    switch (object.kind) {
        case OpenObject::Kind::Drive:
            if (ioControlCode != platform::pass_through::IoctlScsiPassThrough) {
                machine_.Reject(std::string(1, object.letter) + ": unknown control code " +
                                std::to_string(ioControlCode));
                return false;
            }
            return ServePassThrough(machine_, object.letter, input, output, bytesReturned);
        case OpenObject::Kind::SelfDriver:
            return ServeSelfDriver(machine_, ioControlCode, input, output, bytesReturned);
        case OpenObject::Kind::PortDriver:
            if (!IsPortDriver(object.name)) return false;
            return ServePortDriver(machine_, object.name, ioControlCode, input, output,
                                   bytesReturned);
    }
    return false;
}

bool SimHost::CloseHandle(platform::Handle handle) {
    std::lock_guard lock(mutex_);
    if (handles_.erase(handle) == 0) {
        machine_.Reject("CloseHandle of handle " + std::to_string(handle) + ", which is not open");
        return false;
    }
    return true;
}

std::uint32_t SimHost::GetLogicalDrives() {
    std::lock_guard lock(mutex_);
    return machine_.LogicalDrives();
}

void SimHost::Sleep(std::uint32_t milliseconds) {
    bool realTime = false;
    {
        std::lock_guard lock(mutex_);
        sleeps_.push_back(milliseconds);
        realTime = machine_.GetWorld().realTime;
    }
    if (realTime) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    // ASPI requests complete while their sender sleeps: each request sent before this sleep
    // has completed, on the completion thread, when it returns. A polling loop therefore sees
    // its request done after exactly one sleep, and traces do not depend on thread timing.
    WaitForAspiIdle();
}

// Registry ----------------------------------------------------------------------------------

std::int32_t SimHost::RegOpenKeyExA(platform::RegKey root, std::string_view subKey,
                                    std::uint32_t /*desiredAccess*/, platform::RegKey& result) {
    std::lock_guard lock(mutex_);
    result = 0;
    if (root != platform::HkeyLocalMachine) return platform::ErrorFileNotFound;
    const std::string wanted = Upper(subKey);
    // A key exists when values are published under it or under a key below it.
    const auto it = registry_.lower_bound(wanted);
    const bool exists = it != registry_.end() &&
                        (it->first == wanted ||
                         (it->first.starts_with(wanted) && it->first.size() > wanted.size() &&
                          it->first[wanted.size()] == '\\'));
    if (!exists && !wanted.empty()) return platform::ErrorFileNotFound;
    result = nextKey_;
    nextKey_ += 4;
    openKeys_.emplace(result, wanted);
    return platform::ErrorSuccess;
}

std::int32_t SimHost::RegQueryValueExA(platform::RegKey key, std::string_view valueName,
                                       std::span<std::uint8_t> data, std::uint32_t& dataLength) {
    std::lock_guard lock(mutex_);
    dataLength = 0;
    const auto open = openKeys_.find(key);
    if (open == openKeys_.end()) return platform::ErrorInvalidHandle;
    const auto values = registry_.find(open->second);
    if (values == registry_.end()) return platform::ErrorFileNotFound;
    const auto value = values->second.find(Upper(valueName));
    if (value == values->second.end()) return platform::ErrorFileNotFound;
    // A string value, with its terminating zero. What does not fit the buffer is cut off.
    std::string bytes = value->second;
    bytes.push_back('\0');
    dataLength = static_cast<std::uint32_t>(bytes.size());
    std::copy_n(bytes.begin(), std::min(bytes.size(), data.size()), data.begin());
    return bytes.size() > data.size() ? platform::ErrorMoreData : platform::ErrorSuccess;
}

std::int32_t SimHost::RegCloseKey(platform::RegKey key) {
    std::lock_guard lock(mutex_);
    return openKeys_.erase(key) != 0 ? platform::ErrorSuccess : platform::ErrorInvalidHandle;
}

// Modules -----------------------------------------------------------------------------------

bool SimHost::AspiLoaded() const {
    return libraryReferences_ > 0 && machine_.GetWorld().aspi &&
           machine_.GetWorld().aspi->library != AspiLibrary::Missing;
}

platform::ModuleHandle SimHost::LoadLibraryA(std::string_view name) {
    std::lock_guard lock(mutex_);
    std::string upper = Upper(name);
    if (upper.ends_with(".DLL")) upper.resize(upper.size() - 4);
    const auto& aspi = machine_.GetWorld().aspi;
    if (upper != "WNASPI32" || !aspi || aspi->library == AspiLibrary::Missing) return 0;
    ++libraryReferences_;
    return AspiModule;
}

platform::ProcAddress SimHost::GetProcAddress(platform::ModuleHandle module,
                                              std::string_view name) {
    std::lock_guard lock(mutex_);
    if (module != AspiModule || !AspiLoaded()) return 0;
    const AspiLibrary library = machine_.GetWorld().aspi->library;
    if (name == "GetASPI32SupportInfo" && library != AspiLibrary::NoGetSupportInfo)
        return SupportInfoEntry;
    if (name == "SendASPI32Command" && library != AspiLibrary::NoSendCommand)
        return SendCommandEntry;
    return 0;
}

bool SimHost::FreeLibrary(platform::ModuleHandle module) {
    std::lock_guard lock(mutex_);
    if (module != AspiModule || libraryReferences_ == 0) {
        machine_.Reject("FreeLibrary of module " + std::to_string(module) +
                        ", which is not loaded");
        return false;
    }
    --libraryReferences_;
    return true;
}

std::uint32_t SimHost::CallGetAspi32SupportInfo(platform::ProcAddress entry) {
    std::lock_guard lock(mutex_);
    if (entry != SupportInfoEntry || !AspiLoaded() ||
        machine_.GetWorld().aspi->library == AspiLibrary::NoGetSupportInfo) {
        machine_.Reject("GetASPI32SupportInfo called through an entry that is not loaded");
        return 0;
    }
    const AspiConfig& config = *machine_.GetWorld().aspi;
    return std::uint32_t{config.adapters} | std::uint32_t{config.status} << 8;
}

std::uint32_t SimHost::CallSendAspi32Command(platform::ProcAddress entry,
                                             std::span<std::uint8_t> requestBlock,
                                             platform::AspiPostRoutine postRoutine) {
    bool valid = true;
    {
        std::lock_guard lock(mutex_);
        if (entry != SendCommandEntry || !AspiLoaded() ||
            machine_.GetWorld().aspi->library == AspiLibrary::NoSendCommand) {
            machine_.Reject("SendASPI32Command called through an entry that is not loaded");
            valid = false;
        }
    }
    if (requestBlock.size() > platform::aspi::StatusOffset)
        requestBlock[platform::aspi::StatusOffset] = platform::aspi::StatusPending;
    // Even a refused request completes through its post routine, so that a caller waiting
    // for it does not wait for ever.
    Enqueue({requestBlock, std::move(postRoutine), valid});
    return platform::aspi::StatusPending;
}

void SimHost::Enqueue(AspiJob job) {
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(std::move(job));
        ++inFlight_;
        if (!worker_.joinable()) worker_ = std::thread([this] { AspiWorker(); });
    }
    queueChanged_.notify_all();
}

// Completes the queued requests in order, on this thread: executes the command, leaves the
// status in the block, then calls the post routine.
void SimHost::AspiWorker() {
    for (;;) {
        AspiJob job;
        {
            std::unique_lock lock(queueMutex_);
            queueChanged_.wait(lock, [this] { return stopping_ || released_ > 0; });
            if (queue_.empty()) return;  // stopping, nothing left
            job = std::move(queue_.front());
            queue_.pop_front();
            if (released_ > 0) --released_;
        }
        {
            std::lock_guard lock(mutex_);
            if (job.valid) {
                ExecuteAspiRequest(machine_, job.block);
            } else if (job.block.size() > platform::aspi::StatusOffset) {
                job.block[platform::aspi::StatusOffset] = platform::aspi::StatusInvalidCommand;
            }
        }
        if (job.post) job.post(job.block);
        {
            std::lock_guard lock(queueMutex_);
            --inFlight_;
        }
        queueChanged_.notify_all();
    }
}

void SimHost::WaitForAspiIdle() {
    std::unique_lock lock(queueMutex_);
    if (inFlight_ == 0) return;
    released_ = queue_.size();
    queueChanged_.notify_all();
    queueChanged_.wait(lock, [this] { return inFlight_ == 0; });
}

// Clock -------------------------------------------------------------------------------------

platform::LocalDate SimHost::GetLocalDate() {
    std::lock_guard lock(mutex_);
    if (machine_.GetWorld().date) return *machine_.GetWorld().date;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

// Reports -----------------------------------------------------------------------------------

const std::vector<std::uint32_t>& SimHost::Sleeps() const {
    return sleeps_;
}

std::size_t SimHost::ReaderCount() const {
    std::lock_guard lock(mutex_);
    return machine_.Readers().size();
}

ReaderModel::State SimHost::ReaderState(std::size_t index) const {
    std::lock_guard lock(mutex_);
    if (index >= machine_.Readers().size()) return {};
    return machine_.Readers()[index].Current();
}

std::size_t SimHost::OpenHandleCount() const {
    std::lock_guard lock(mutex_);
    return handles_.size();
}

std::size_t SimHost::OpenRegistryKeyCount() const {
    std::lock_guard lock(mutex_);
    return openKeys_.size();
}

std::uint32_t SimHost::LoadedLibraryCount() const {
    std::lock_guard lock(mutex_);
    return libraryReferences_;
}

std::vector<OpenRecord> SimHost::Opens() const {
    std::lock_guard lock(mutex_);
    return opens_;
}

std::vector<std::string> SimHost::Rejections() const {
    std::lock_guard lock(mutex_);
    return machine_.Rejections();
}

std::map<std::string, std::map<std::string, std::string>> SimHost::RegistryValues() const {
    return registryAsGiven_;
}

nlohmann::json SimHost::StateJson() const {
    std::lock_guard lock(mutex_);
    nlohmann::json readers = nlohmann::json::array();
    for (std::size_t i = 0; i < machine_.Readers().size(); ++i) {
        const ReaderModel& reader = machine_.Readers()[i];
        const ReaderModel::State& state = reader.Current();
        nlohmann::json calls = nlohmann::json::object();
        for (std::size_t c = 0; c < CommandCount; ++c) {
            if (state.calls[c] != 0)
                calls[std::string(CommandName(static_cast<Command>(c)))] = state.calls[c];
        }
        const auto optionalLength = [](const std::optional<std::size_t>& length) {
            return length ? nlohmann::json(*length) : nlohmann::json(nullptr);
        };
        readers.push_back({
            {"index", i},
            {"serial", reader.Config().serial},
            {"slots", std::string(reader.Config().slots.begin(), reader.Config().slots.end())},
            {"mode", state.inIsp ? "isp" : "normal"},
            {"msMode", state.msInIsp ? "isp" : "main"},
            {"ispStatus", FormatHexByte(state.status)},
            {"programmedLength", optionalLength(state.programmedLength)},
            {"firmwareLength", state.firmware.size()},
            {"msProgrammedLength", optionalLength(state.msProgrammedLength)},
            {"programWrites", state.programWrites},
            {"verifyWrites", state.verifyWrites},
            {"controlBlocks", state.controlBlocks},
            {"calls", calls},
        });
    }
    return {
        {"readers", readers},
        {"openHandles", handles_.size()},
        {"openRegistryKeys", openKeys_.size()},
        {"loadedLibraries", libraryReferences_},
        {"sleeps", sleeps_.size()},
        {"rejections", machine_.Rejections()},
    };
}

}  // namespace kestrix::sim
