#include "device/aspi_transport.h"

#include "device/vendor_commands.h"
#include "platform/aspi_layout.h"

namespace kestrix::device::aspi {

namespace layout = platform::aspi;

namespace {

constexpr std::uint8_t DataInPosting = layout::FlagDataIn | layout::FlagPosting;    // 0x09
constexpr std::uint8_t DataOutPosting = layout::FlagDataOut | layout::FlagPosting;  // 0x11

constexpr std::uint32_t JumpBufferLength = 40;  // allocated, though nothing moves

void ClearFlags(AspiState& aspi) {
    aspi.done.store(0, std::memory_order_relaxed);
    aspi.error.store(0, std::memory_order_relaxed);
}

// Sends one request whose outcome is the error flag, and waits for it.
[[nodiscard]] bool SendAndCheck(DeviceContext& context, const RequestSetup& setup,
                                std::uint32_t intervalMs) {
    AspiState& aspi = context.state.aspi;
    ClearFlags(aspi);
    if (!SendRequest(context, setup)) return false;
    WaitForCompletion(context, intervalMs);
    return aspi.error.load(std::memory_order_acquire) == 0;
}

}  // namespace

void ClearAspiEntries(AspiState& aspi) {
    aspi.getSupportInfoEntry = 0;
    aspi.sendCommandEntry = 0;
}

std::uint8_t LoadAspi(DeviceContext& context) {
    AspiState& aspi = context.state.aspi;
    if (aspi.getSupportInfoEntry != 0 && aspi.sendCommandEntry != 0) return LoadSucceeded;
    platform::Modules& modules = context.host.modules;
    // A library still held from before is given back first, so that loading afresh does not
    // leave a reference behind.
    if (aspi.library != 0) modules.FreeLibrary(aspi.library);
    aspi.library = modules.LoadLibraryA(LibraryName);
    if (aspi.library == 0) {
        ClearAspiEntries(aspi);
        return LoadLibraryMissing;
    }
    aspi.getSupportInfoEntry = modules.GetProcAddress(aspi.library, SupportInfoEntryName);
    aspi.sendCommandEntry = modules.GetProcAddress(aspi.library, SendCommandEntryName);
    if (aspi.getSupportInfoEntry == 0 || aspi.sendCommandEntry == 0) {
        UnloadAspi(context);
        return LoadEntryMissing;
    }
    return LoadSucceeded;
}

void UnloadAspi(DeviceContext& context) {
    AspiState& aspi = context.state.aspi;
    if (aspi.library != 0) context.host.modules.FreeLibrary(aspi.library);
    aspi.library = 0;
    ClearAspiEntries(aspi);
}

std::uint32_t GetSupportInfo(DeviceContext& context) {
    AspiState& aspi = context.state.aspi;
    aspi.supportInfo =
        aspi.getSupportInfoEntry == 0
            ? 0
            : context.host.modules.CallGetAspi32SupportInfo(aspi.getSupportInfoEntry);
    return aspi.supportInfo;
}

bool SupportInfoUsable(std::uint32_t supportInfo) {
    return layout::SupportAdapterCount(supportInfo) != 0 &&
           layout::SupportStatus(supportInfo) == layout::StatusCompleted;
}

bool Inquiry(DeviceContext& context, std::uint8_t adapter, std::uint8_t target,
             const InquiryIdentities& identities) {
    AspiState& aspi = context.state.aspi;
    aspi.done.store(0, std::memory_order_relaxed);
    // A match belongs to this inquiry only; an earlier one must not carry over.
    aspi.match.store(0, std::memory_order_relaxed);
    const AspiInquiryCdb cdb = AspiInquiryCdbBytes();
    const RequestSetup setup{.adapter = adapter,
                             .target = target,
                             .flags = DataInPosting,
                             .cdb = cdb,
                             .bufferLength = AspiInquiryLength,
                             .dataSize = AspiInquiryLength,
                             .completion = Completion::MatchCheck,
                             .identities = identities};
    if (!SendRequest(context, setup)) return false;
    WaitForCompletion(context, IdentifyPollMs);
    return aspi.match.load(std::memory_order_acquire) != 0;
}

bool ReadDeviceInfo(DeviceContext& context, std::uint8_t adapter, std::uint8_t target) {
    const Cdb cdb = ReadDeviceInfoCdb();
    const RequestSetup setup{.adapter = adapter,
                             .target = target,
                             .flags = DataInPosting,
                             .cdb = cdb,
                             .bufferLength = DeviceInfoBlockSize,
                             .dataSize = DeviceInfoBlockSize,
                             .completion = Completion::CopyInfo};
    return SendAndCheck(context, setup, IdentifyPollMs);
}

bool JumpToIsp(DeviceContext& context, std::uint8_t adapter, std::uint8_t target) {
    const Cdb cdb = JumpToIspCdb(JumpToIspForm::Extended);
    const RequestSetup setup{.adapter = adapter,
                             .target = target,
                             .flags = DataInPosting,
                             .cdb = cdb,
                             .bufferLength = 0,
                             .dataSize = JumpBufferLength,
                             .completion = Completion::StatusOnly};
    return SendAndCheck(context, setup, IspPollMs);
}

bool GetIspStatus(DeviceContext& context, std::uint8_t adapter, std::uint8_t target,
                  std::uint8_t& status) {
    const Cdb cdb = GetIspStatusCdb();
    const RequestSetup setup{.adapter = adapter,
                             .target = target,
                             .flags = DataInPosting,
                             .cdb = cdb,
                             .bufferLength = ExtendedIspStatusLength,
                             .dataSize = ExtendedIspStatusLength,
                             .completion = Completion::KeepStatus};
    const bool ok = SendAndCheck(context, setup, IspPollMs);
    status = context.state.aspi.ispStatus;
    return ok;
}

bool WriteIspBlock(DeviceContext& context, std::uint8_t adapter, std::uint8_t target,
                   std::span<const std::uint8_t> image, std::uint32_t length,
                   std::uint32_t paddedLength, IspWriteMode mode) {
    if (paddedLength > MaxIspBlockLength || paddedLength > image.size()) return false;
    const Cdb cdb = WriteIspBlockCdb(mode, context.config.romSelectCode, length, paddedLength);
    const RequestSetup setup{.adapter = adapter,
                             .target = target,
                             .flags = DataOutPosting,
                             .cdb = cdb,
                             .bufferLength = paddedLength,
                             .dataSize = paddedLength,
                             .output = image.first(paddedLength),
                             .completion = Completion::StatusOnly};
    return SendAndCheck(context, setup, IspPollMs);
}

}  // namespace kestrix::device::aspi
