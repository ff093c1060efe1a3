#include "device/pass_through.h"

#include <algorithm>

#include "device/drive_paths.h"
#include "device/handles.h"
#include "device/pass_through_request.h"

namespace kestrix::device::pass_through {

namespace {

// Output length of a data-in command: the header area plus the data.
constexpr std::uint32_t WithData(std::uint32_t dataLength) {
    return static_cast<std::uint32_t>(DataAreaOffset) + dataLength;
}
constexpr std::uint32_t HeaderInput = 44;

// Copies the answer out of the data area.
void TakeAnswer(const DeviceState& state, std::span<std::uint8_t> buffer, std::size_t length) {
    const auto from = state.passThroughBuffer.begin() + DataAreaOffset;
    std::copy_n(from, std::min(length, buffer.size()), buffer.begin());
}

}  // namespace

bool OpenDrive(DeviceContext& context, std::uint8_t letter) {
    CloseHandleIfOpen(context.host.kernel, context.state.driveHandle);
    const platform::Handle handle = context.host.kernel.CreateFileA(
        DrivePath(letter), platform::GenericRead | platform::GenericWrite,
        platform::FileShareRead | platform::FileShareWrite, platform::OpenExisting, 0);
    if (handle == platform::InvalidHandleValue || handle == 0) return false;
    context.state.driveHandle = handle;
    return true;
}

void CloseDrive(DeviceContext& context) {
    CloseHandleIfOpen(context.host.kernel, context.state.driveHandle);
}

std::uint8_t OpenSelectedDrive(DeviceContext& context) {
    const DeviceTable& table = context.state.table;
    CloseDrive(context);
    if (table.selectedIndex >= table.records.size()) return 1;
    const DeviceRecord& record = table.records[table.selectedIndex];
    if (record.inUse == 0 || record.driveLetters[0] == 0) return 1;
    return OpenDrive(context, record.driveLetters[0]) ? 0 : 1;
}

bool Inquiry(DeviceContext& context, std::span<std::uint8_t> buffer) {
    const Outcome outcome = Send(context, {.cdb = InquiryCdb(0),
                                           .transferLength = InquiryLength,
                                           .inputLength = HeaderInput,
                                           .outputLength = WithData(InquiryLength)});
    if (!outcome.Good()) return false;
    TakeAnswer(context.state, buffer, InquiryLength);
    return true;
}

bool ReadDeviceInfo(DeviceContext& context, std::span<std::uint8_t> buffer) {
    const Outcome outcome = Send(context, {.cdb = ReadDeviceInfoCdb(),
                                           .transferLength = DeviceInfoBlockLength,
                                           .inputLength = HeaderInput,
                                           .outputLength = WithData(DeviceInfoBlockLength)});
    if (!outcome.Good()) return false;
    TakeAnswer(context.state, buffer, DeviceInfoBlockLength);
    return true;
}

bool JumpToIsp(DeviceContext& context) {
    return Send(context, {.cdb = JumpToIspCdb(JumpToIspForm::DriveLetter),
                          .transferLength = 0,
                          .inputLength = HeaderInput,
                          .outputLength = WithData(0)})
        .Good();
}

bool GetIspStatus(DeviceContext& context, std::uint8_t& status) {
    const Outcome outcome = Send(context, {.cdb = GetIspStatusCdb(),
                                           .transferLength = IspStatusLength,
                                           .timeoutSeconds = LongTimeoutSeconds,
                                           .inputLength = HeaderInput,
                                           .outputLength = WithData(IspStatusLength)});
    status = context.state.passThroughBuffer[DataAreaOffset];
    return outcome.Good();
}

void StageIspData(DeviceState& state, std::span<const std::uint8_t> data) {
    state.passThroughBuffer.fill(0);
    std::copy_n(data.begin(), std::min(data.size(), DataAreaSize),
                state.passThroughBuffer.begin() + DataAreaOffset);
}

bool WriteIspBlock(DeviceContext& context, std::uint32_t length, std::uint32_t paddedLength,
                   IspWriteMode mode) {
    if (paddedLength > MaxIspBlockLength || paddedLength % BlockLength != 0) return false;
    return Send(context,
                {.cdb = WriteIspBlockCdb(mode, context.config.romSelectCode, length, paddedLength),
                 .dataIn = false,
                 .transferLength = paddedLength,
                 .timeoutSeconds = LongTimeoutSeconds,
                 .inputLength = WithData(paddedLength),
                 .outputLength = WithData(paddedLength),
                 .clearBuffer = false})
        .Good();
}

}  // namespace kestrix::device::pass_through
