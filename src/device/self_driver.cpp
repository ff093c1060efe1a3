#include "device/self_driver.h"

#include <algorithm>
#include <array>
#include <vector>

#include "device/drive_paths.h"
#include "device/handles.h"
#include "device/pass_through_request.h"
#include "device/self_driver_request.h"

namespace kestrix::device {

std::uint8_t OpenSelfDriver(DeviceContext& context, bool probeOnly) {
    platform::Kernel& kernel = context.host.kernel;
    CloseHandleIfOpen(kernel, context.state.selfDriverHandle);
    const platform::Handle handle = kernel.CreateFileA(
        DriverDevicePath(context.app.driverFileName),
        platform::GenericRead | platform::GenericWrite, 0, platform::OpenExisting, 0);
    if (handle == platform::InvalidHandleValue || handle == 0) {
        context.state.selfDriverHandle = 0;
        context.host.console.WriteStdout(SelfDriverLoadFailedLine);
        return 1;
    }
    context.state.selfDriverHandle = handle;
    if (probeOnly) CloseHandleIfOpen(kernel, context.state.selfDriverHandle);
    return 0;
}

std::uint8_t ProbeSelfDriver(DeviceContext& context) {
    return OpenSelfDriver(context, true);
}

void CloseSelfDriver(DeviceContext& context) {
    CloseHandleIfOpen(context.host.kernel, context.state.selfDriverHandle);
}

namespace self_driver {

namespace {

constexpr std::uint32_t HeaderInput = 44;
constexpr std::uint32_t WithData(std::uint32_t dataLength) {
    return static_cast<std::uint32_t>(pass_through::DataAreaOffset) + dataLength;
}

bool ReadWith(DeviceContext& context, const Cdb& block, std::span<std::uint8_t> buffer) {
    const pass_through::Outcome outcome =
        pass_through::Send(context, {.cdb = block,
                                     .transferLength = BlockLength,
                                     .inputLength = HeaderInput,
                                     .outputLength = WithData(BlockLength)});
    if (!outcome.Good()) return false;
    const auto from = context.state.passThroughBuffer.begin() + pass_through::DataAreaOffset;
    std::copy_n(from, std::min<std::size_t>(BlockLength, buffer.size()), buffer.begin());
    return true;
}

std::uint8_t Count(DeviceContext& context, const Cdb& block) {
    if (ProbeSelfDriver(context) != 0) return 0;
    const pass_through::Outcome outcome =
        pass_through::Send(context, {.cdb = block,
                                     .transferLength = CountAnswerLength,
                                     .inputLength = HeaderInput,
                                     .outputLength = WithData(CountAnswerLength)});
    return outcome.Good() ? context.state.passThroughBuffer[pass_through::DataAreaOffset] : 0;
}

// One private request to the driver; the driver writes its one-byte answer through the
// token in the request, and the call names `outputLength` bytes of the same answer buffer.
bool SendIoctl(DeviceContext& context, std::uint32_t code, std::span<const std::uint8_t> data,
               IspWriteMode mode, std::size_t outputLength, std::uint8_t& answer) {
    std::array<std::uint8_t, 1> answerBuffer{};
    const platform::PinnedBuffer pinnedAnswer(context.host.memory, answerBuffer);
    std::vector<std::uint8_t> request(RequestSize);
    const std::span<std::uint8_t, RequestSize> requestBytes(request.data(), RequestSize);
    switch (code) {
        case IoctlJumpToIsp:
            BuildJumpToIspRequest(requestBytes, pinnedAnswer.Token());
            break;
        case IoctlGetIspStatus:
            BuildGetIspStatusRequest(requestBytes, pinnedAnswer.Token());
            break;
        default:
            BuildWriteIspBlockRequest(requestBytes, data, mode, pinnedAnswer.Token());
            break;
    }
    std::uint32_t returned = 0;
    const bool ok = context.host.kernel.DeviceIoControl(
        context.state.selfDriverHandle, code, request,
        std::span<std::uint8_t>(answerBuffer).first(outputLength), returned);
    answer = answerBuffer[0];
    return ok;
}

}  // namespace

bool ReadBlocks(DeviceContext& context, std::span<std::uint8_t> buffer, std::uint32_t address,
                std::uint8_t count) {
    return ReadWith(context, ReadBlocksCdb(address, count), buffer);
}

bool ReadBlocksAlt(DeviceContext& context, std::span<std::uint8_t> buffer, std::uint32_t address,
                   std::uint8_t count) {
    return ReadWith(context, ReadBlocksAltCdb(address, count), buffer);
}

std::uint8_t GetDeviceCount(DeviceContext& context) {
    return Count(context, GetDeviceCountCdb());
}

std::uint8_t GetSlotCount(DeviceContext& context) {
    return Count(context, GetSlotCountCdb());
}

bool JumpToIsp(DeviceContext& context) {
    std::uint8_t ignored = 0;
    return SendIoctl(context, IoctlJumpToIsp, {}, IspWriteMode::Program, 1, ignored);
}

bool GetIspStatus(DeviceContext& context, std::uint8_t& status) {
    return SendIoctl(context, IoctlGetIspStatus, {}, IspWriteMode::Program, 1, status);
}

bool WriteIspBlock(DeviceContext& context, std::span<const std::uint8_t> data, IspWriteMode mode) {
    if (data.size() > DataCapacity) return false;
    std::uint8_t ignored = 0;
    return SendIoctl(context, IoctlWriteIspBlock, data, mode, 0, ignored);
}

}  // namespace self_driver

}  // namespace kestrix::device
