#include "fake_aspi_host.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/byte_order.h"
#include "device/device_info_layout.h"
#include "device/registry_keys.h"
#include "platform/aspi_layout.h"

namespace kestrix::aspi_test {

namespace layout = platform::aspi;

namespace {

constexpr platform::ModuleHandle LibraryHandle = 0x500;
constexpr platform::ProcAddress SupportInfoEntry = 0x601;
constexpr platform::ProcAddress SendCommandEntry = 0x602;
// A request that never completes would make the waiting loop spin for ever.
constexpr std::size_t SleepLimit = 1000000;

// The size of the pinned buffer `token` starts, found by probing.
std::size_t PinnedSize(const platform::AddressSpace& memory, std::uint32_t token) {
    std::size_t low = 0;
    std::size_t high = 1u << 20;
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (memory.Resolve(token, middle).empty()) {
            high = middle - 1;
        } else {
            low = middle;
        }
    }
    return low;
}

template <std::size_t N>
void PutText(std::array<std::uint8_t, N>& bytes, std::size_t offset, const std::string& text,
             std::size_t width) {
    for (std::size_t i = 0; i < width; ++i)
        bytes[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
}

}  // namespace

FakeAspi::FakeAspi(platform::AddressSpace& memory)
    : memory_(memory), worker_([this] { WorkerLoop(); }) {}

FakeAspi::~FakeAspi() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

std::vector<SentRequest> FakeAspi::Sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

platform::ModuleHandle FakeAspi::LoadLibraryA(std::string_view name) {
    if (!libraryPresent || name != "WNASPI32") return 0;
    ++loadCalls;
    return LibraryHandle;
}

platform::ProcAddress FakeAspi::GetProcAddress(platform::ModuleHandle module,
                                               std::string_view name) {
    if (module != LibraryHandle) return 0;
    if (name == "GetASPI32SupportInfo" && exportsSupportInfo) return SupportInfoEntry;
    if (name == "SendASPI32Command" && exportsSendCommand) return SendCommandEntry;
    return 0;
}

bool FakeAspi::FreeLibrary(platform::ModuleHandle module) {
    if (module != LibraryHandle) return false;
    ++freeCalls;
    return true;
}

std::uint32_t FakeAspi::CallGetAspi32SupportInfo(platform::ProcAddress entry) {
    ++supportInfoCalls;
    return entry == SupportInfoEntry ? supportInfo : 0;
}

std::uint32_t FakeAspi::CallSendAspi32Command(platform::ProcAddress entry,
                                              std::span<std::uint8_t> requestBlock,
                                              platform::AspiPostRoutine postRoutine) {
    std::lock_guard lock(mutex_);
    SentRequest record;
    std::copy_n(requestBlock.begin(), record.block.size(), record.block.begin());
    const std::uint32_t token = core::GetLe32(requestBlock, layout::BufferAddressOffset);
    record.allocated = PinnedSize(memory_, token);
    const auto data = memory_.Resolve(token, record.allocated);
    record.dataOut.assign(data.begin(), data.end());
    sent_.push_back(record);

    // Like ASPI, a request to an adapter that does not exist is refused at once and never
    // posted.
    const std::uint8_t adapter = requestBlock[layout::AdapterOffset];
    if (entry != SendCommandEntry || adapter >= layout::SupportAdapterCount(supportInfo)) {
        requestBlock[layout::StatusOffset] = layout::StatusInvalidAdapter;
        return layout::StatusInvalidAdapter;
    }
    requestBlock[layout::StatusOffset] = layout::StatusPending;
    Pending pending{requestBlock, std::move(postRoutine), sent_.size() - 1, 0};
    if (freeRunning) {
        handed_.push_back(std::move(pending));
        wake_.notify_all();
    } else {
        pending_ = std::move(pending);
    }
    return layout::StatusPending;
}

void FakeAspi::OnSleep() {
    std::unique_lock lock(mutex_);
    if (!pending_) return;
    if (++pending_->sleeps < completeAfterSleeps) return;
    const std::size_t index = pending_->sentIndex;
    handed_.push_back(std::move(*pending_));
    pending_.reset();
    wake_.notify_all();
    wake_.wait(lock, [&] { return completed_ > index; });
}

void FakeAspi::WorkerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !handed_.empty(); });
        if (stop_) return;
        Pending pending = std::move(handed_.front());
        handed_.pop_front();
        const std::size_t sentIndex = pending.sentIndex;
        const std::uint32_t token = core::GetLe32(pending.block, layout::BufferAddressOffset);
        lock.unlock();
        // Free running, the worker lags behind, so that the issuing thread is already
        // polling and has let go of everything it shares with the request.
        if (freeRunning) std::this_thread::sleep_for(std::chrono::microseconds(200));
        Complete(pending);
        // The routine may have freed the block; only the token is looked at from here on.
        const bool unpinned = memory_.Resolve(token, 1).empty();
        pending = Pending{};
        lock.lock();
        sent_[sentIndex].unpinnedAfterCompletion = unpinned;
        ++completed_;
        wake_.notify_all();
    }
}

void FakeAspi::Complete(Pending& pending) {
    const std::span<std::uint8_t> block = pending.block;
    const std::uint8_t adapter = block[layout::AdapterOffset];
    const std::uint8_t target = block[layout::TargetOffset];
    const std::uint8_t operation = block[layout::CdbOffset];
    const std::uint8_t subCode = block[layout::CdbOffset + 1];
    const std::uint32_t length = core::GetLe32(block, layout::BufferLengthOffset);
    const auto data = memory_.Resolve(core::GetLe32(block, layout::BufferAddressOffset), length);

    std::uint8_t status = layout::StatusNoDevice;
    const auto found = targets.find({adapter, target});
    if (found != targets.end()) {
        const FakeTarget& device = found->second;
        auto deliver = [&](std::span<const std::uint8_t> answer) {
            std::copy_n(answer.begin(), std::min(answer.size(), data.size()), data.begin());
        };
        if (operation == 0x12) {
            status = device.inquiryStatus;
            deliver(device.inquiry);
        } else if (operation == 0x06 && subCode == 0x05) {
            status = device.infoStatus;
            deliver(device.info);
        } else if (operation == 0x06 && subCode == 0xB0) {
            status = device.ispCommandStatus;
            const std::array<std::uint8_t, 1> answer{device.ispStatus};
            deliver(answer);
        } else {
            status = device.ispCommandStatus;
        }
    }
    block[layout::StatusOffset] = status;
    pending.routine(block);
}

void FakeKernel::Sleep(std::uint32_t milliseconds) {
    sleeps.push_back(milliseconds);
    if (sleeps.size() > SleepLimit) {
        std::fputs("a request never completed\n", stderr);
        std::abort();
    }
    if (aspi_.freeRunning) {
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    } else {
        aspi_.OnSleep();
    }
}

std::int32_t FakeRegistry::RegOpenKeyExA(platform::RegKey root, std::string_view subKey,
                                         std::uint32_t, platform::RegKey& result) {
    opened.emplace_back(subKey);
    if (root != platform::HkeyLocalMachine || !letters.contains(std::string(subKey)))
        return platform::ErrorFileNotFound;
    handles_.emplace_back(subKey);
    result = static_cast<platform::RegKey>(handles_.size());
    return platform::ErrorSuccess;
}

std::int32_t FakeRegistry::RegQueryValueExA(platform::RegKey key, std::string_view valueName,
                                            std::span<std::uint8_t> data,
                                            std::uint32_t& dataLength) {
    if (key == 0 || key > handles_.size()) return platform::ErrorInvalidHandle;
    if (valueName != device::DriveLetterValueName) return platform::ErrorFileNotFound;
    std::string value = letters.at(handles_[key - 1]);
    value.push_back('\0');
    dataLength = static_cast<std::uint32_t>(value.size());
    std::copy_n(value.begin(), std::min(value.size(), data.size()), data.begin());
    return value.size() > data.size() ? platform::ErrorMoreData : platform::ErrorSuccess;
}

AspiWorld::AspiWorld() {
    app.osKind = core::OsKind::WinMe;
}

std::vector<std::string> AspiWorld::MessageBoxes() const {
    std::vector<std::string> texts;
    for (const auto& event : window.Events()) {
        if (event.kind == platform::WindowEvent::Kind::MessageBox) texts.push_back(event.text);
    }
    return texts;
}

std::array<std::uint8_t, 40> InquiryAnswer(const ReaderIdentity& reader) {
    std::array<std::uint8_t, 40> answer{};
    answer[4] = 31;
    PutText(answer, 8, reader.vendor, 8);
    PutText(answer, 16, reader.product, 16);
    PutText(answer, 32, reader.revision, 4);
    return answer;
}

std::array<std::uint8_t, 528> InfoAnswer(const ReaderIdentity& reader) {
    namespace info = device::info_layout;
    std::array<std::uint8_t, 528> answer{};
    core::PutLe16(answer, info::VidOffset, reader.vid);
    core::PutLe16(answer, info::PidOffset, reader.pid);
    PutText(answer, info::UsbManufacturerOffset, "Kestrix Works", 24);
    PutText(answer, info::UsbProductOffset, "USB Reader", 16);
    for (std::size_t i = 0; i < info::SerialUnits; ++i)
        answer[info::SerialOffset + 2 * i] =
            i < reader.serial.size() ? static_cast<std::uint8_t>(reader.serial[i]) : 0;
    const std::array<std::uint8_t, 8> revision{1, 0x02, 0x03, 4, 5, 6, 0xFF, 0xFF};
    std::copy(revision.begin(), revision.end(), answer.begin() + info::FirmwareRevisionOffset);
    PutText(answer, info::InquiryProductOffset, reader.product, 16);
    PutText(answer, info::InquiryVendorOffset, reader.vendor, 8);
    PutText(answer, info::InquiryRevisionOffset, reader.revision, 4);
    answer[info::HardwareCodeOffset] = 0x20;
    answer[info::HardwareCodeOffset + 1] = 0x35;
    answer[info::HardwareCodeOffset + 2] = 0x01;
    return answer;
}

FakeTarget TargetFor(const ReaderIdentity& reader) {
    FakeTarget target;
    target.inquiry = InquiryAnswer(reader);
    target.info = InfoAnswer(reader);
    return target;
}

image::InquiryIdentity IdentityFor(const ReaderIdentity& reader) {
    image::InquiryIdentity identity = image::BlankInquiryIdentity();
    PutText(identity, 0, reader.vendor, 8);
    PutText(identity, 8, reader.product, 16);
    PutText(identity, 24, reader.revision, 4);
    return identity;
}

}  // namespace kestrix::aspi_test
