#include "device/port_driver.h"

#include <algorithm>
#include <array>
#include <vector>

#include "device/drive_paths.h"
#include "device/handles.h"
#include "device/port_driver_request.h"

namespace kestrix::device {

namespace {

std::uint8_t OpenPortDriver(DeviceContext& context, std::uint32_t flags) {
    platform::Kernel& kernel = context.host.kernel;
    CloseHandleIfOpen(kernel, context.state.portDriverHandle);
    const platform::Handle handle = kernel.CreateFileA(
        DriverDevicePath(context.app.driverFileName),
        platform::GenericRead | platform::GenericWrite, 0, platform::OpenExisting, flags);
    // A failed open leaves no handle behind: the driver handle is either open or 0.
    if (handle == platform::InvalidHandleValue || handle == 0) return 1;
    context.state.portDriverHandle = handle;
    return 0;
}

std::uint8_t SelectedDevice(const DeviceContext& context) {
    return static_cast<std::uint8_t>(context.state.table.selectedIndex);
}

// Sends one request. The driver reads and writes the buffer the request names by token;
// the call itself names the first `outputLength` bytes of that same buffer.
template <std::size_t N>
bool Send(DeviceContext& context, std::uint32_t code, const std::array<std::uint8_t, N>& request,
          std::span<std::uint8_t> buffer, std::size_t outputLength) {
    std::uint32_t returned = 0;
    return context.host.kernel.DeviceIoControl(context.state.portDriverHandle, code, request,
                                               buffer.first(std::min(outputLength, buffer.size())),
                                               returned);
}

// A one-byte count answer in an 8-byte buffer.
template <typename Build>
std::uint8_t AskCount(DeviceContext& context, std::uint32_t code, Build build) {
    std::array<std::uint8_t, CountAnswerLength> answer{};
    const platform::PinnedBuffer pinned(context.host.memory, answer);
    if (!Send(context, code, build(pinned.Token()), answer, CountAnswerLength)) return 0;
    return answer[0];
}

}  // namespace

std::uint8_t OpenPortDriverA(DeviceContext& context) {
    return OpenPortDriver(context, 0);
}

std::uint8_t OpenPortDriverB(DeviceContext& context) {
    return OpenPortDriver(context, platform::FileFlagDeleteOnClose);
}

void ClosePortDriver(DeviceContext& context) {
    CloseHandleIfOpen(context.host.kernel, context.state.portDriverHandle);
}

namespace port_driver_a {

namespace {

constexpr std::uint32_t Code = port_request::IoctlDialectA;

template <typename Build>
bool ReadInto(DeviceContext& context, std::span<std::uint8_t> buffer, std::uint16_t count,
              Build build) {
    const std::size_t length = std::size_t{count} * BlockLength;
    if (buffer.size() < length) return false;
    std::vector<std::uint8_t> answer(length);
    const platform::PinnedBuffer pinned(context.host.memory, answer);
    if (!Send(context, Code, build(pinned.Token()), answer, length)) return false;
    std::copy(answer.begin(), answer.end(), buffer.begin());
    return true;
}

// A one-byte answer; the status byte is handed over whatever the call's result.
bool AskByte(DeviceContext& context, const port_request::Request& request,
             std::array<std::uint8_t, 1>& answer) {
    return Send(context, Code, request, answer, answer.size());
}

}  // namespace

bool ReadBlocks(DeviceContext& context, std::span<std::uint8_t> buffer, std::uint32_t address,
                std::uint16_t count) {
    return ReadInto(context, buffer, count, [&](std::uint32_t token) {
        return ReadBlocksRequest(SelectedDevice(context), address, count, token);
    });
}

bool ReadBlocksAlt(DeviceContext& context, std::span<std::uint8_t> buffer, std::uint32_t address,
                   std::uint16_t count) {
    return ReadInto(context, buffer, count, [&](std::uint32_t token) {
        return ReadBlocksAltRequest(SelectedDevice(context), address, count, token);
    });
}

bool WriteBlocks(DeviceContext& context, std::span<const std::uint8_t> data, std::uint32_t address,
                 std::uint16_t count) {
    const std::size_t length = std::size_t{count} * BlockLength;
    if (data.size() < length) return false;
    std::vector<std::uint8_t> copy(data.begin(),
                                   data.begin() + static_cast<std::ptrdiff_t>(length));
    const platform::PinnedBuffer pinned(context.host.memory, copy);
    return Send(context, Code,
                WriteBlocksRequest(SelectedDevice(context), address, count, pinned.Token()), copy,
                0);
}

std::uint8_t GetDeviceCount(DeviceContext& context) {
    return AskCount(context, Code,
                    [](std::uint32_t token) { return GetDeviceCountRequest(token); });
}

std::uint8_t GetSlotCount(DeviceContext& context) {
    const std::uint8_t device = SelectedDevice(context);
    return AskCount(context, Code,
                    [&](std::uint32_t token) { return GetSlotCountRequest(device, token); });
}

bool ReadFirmwareRevision(DeviceContext& context, std::span<std::uint8_t> buffer) {
    constexpr std::size_t RecordSize = 8;
    constexpr std::size_t OutputLength = 1;  // the driver writes the record through the token
    std::array<std::uint8_t, RecordSize> answer{};
    const platform::PinnedBuffer pinned(context.host.memory, answer);
    if (!Send(context, Code, ReadFirmwareRevisionRequest(SelectedDevice(context), pinned.Token()),
              answer, OutputLength))
        return false;
    std::copy_n(answer.begin(), std::min(RecordSize, buffer.size()), buffer.begin());
    return true;
}

bool JumpToIsp(DeviceContext& context) {
    std::array<std::uint8_t, 1> answer{};
    const platform::PinnedBuffer pinned(context.host.memory, answer);
    return AskByte(context, JumpToIspRequest(SelectedDevice(context), pinned.Token()), answer);
}

bool GetIspStatus(DeviceContext& context, std::uint8_t& status) {
    std::array<std::uint8_t, 1> answer{};
    const platform::PinnedBuffer pinned(context.host.memory, answer);
    const bool ok =
        AskByte(context, GetIspStatusRequest(SelectedDevice(context), pinned.Token()), answer);
    status = answer[0];
    return ok;
}

bool WriteIspBlock(DeviceContext& context, std::span<const std::uint8_t> data, IspWriteMode mode) {
    if (data.size() > MaxIspBlockLength) return false;
    std::vector<std::uint8_t> copy(data.begin(), data.end());
    const platform::PinnedBuffer pinned(context.host.memory, copy);
    return Send(context, Code,
                WriteIspBlockRequest(SelectedDevice(context),
                                     static_cast<std::uint32_t>(copy.size()), mode, pinned.Token()),
                copy, 0);
}

}  // namespace port_driver_a

namespace port_driver_b {

namespace {

constexpr std::uint32_t Code = port_request::IoctlDialectB;
// A command without data still names a buffer, as every request of this dialect does.
constexpr std::size_t NoDataBufferSize = 8;

}  // namespace

std::uint8_t GetDeviceCount(DeviceContext& context) {
    return AskCount(context, Code,
                    [](std::uint32_t token) { return GetDeviceCountRequest(token); });
}

std::uint8_t GetSlotCount(DeviceContext& context) {
    const std::uint8_t device = SelectedDevice(context);
    return AskCount(context, Code,
                    [&](std::uint32_t token) { return GetSlotCountRequest(device, token); });
}

bool ReadDeviceInfo(DeviceContext& context, std::uint32_t device, std::span<std::uint8_t> buffer) {
    if (buffer.size() < DeviceInfoBlockLength) return false;
    std::array<std::uint8_t, DeviceInfoBlockLength> answer{};
    const platform::PinnedBuffer pinned(context.host.memory, answer);
    constexpr std::uint32_t Target = 0;
    if (!Send(context, Code, ReadDeviceInfoRequest(device, Target, pinned.Token()), answer,
              DeviceInfoBlockLength))
        return false;
    std::copy(answer.begin(), answer.end(), buffer.begin());
    return true;
}

bool JumpToIsp(DeviceContext& context) {
    std::array<std::uint8_t, NoDataBufferSize> buffer{};
    const platform::PinnedBuffer pinned(context.host.memory, buffer);
    return Send(context, Code, JumpToIspRequest(SelectedDevice(context), pinned.Token()), buffer,
                0);
}

bool GetIspStatus(DeviceContext& context, std::uint8_t& status) {
    // The driver writes 28 bytes through the token although the call names only 8.
    std::array<std::uint8_t, ExtendedIspStatusLength> answer{};
    const platform::PinnedBuffer pinned(context.host.memory, answer);
    const bool ok =
        Send(context, Code, GetIspStatusRequest(SelectedDevice(context), pinned.Token()), answer,
             IspStatusLength);
    status = answer[0];
    return ok;
}

bool WriteIspBlock(DeviceContext& context, std::uint32_t device, std::span<const std::uint8_t> data,
                   std::uint32_t length, std::uint32_t paddedLength, IspWriteMode mode) {
    if (paddedLength > MaxIspBlockLength || paddedLength > data.size()) return false;
    std::vector<std::uint8_t> copy(data.begin(), data.begin() + paddedLength);
    const platform::PinnedBuffer pinned(context.host.memory, copy);
    constexpr std::uint32_t Target = 0;
    return Send(context, Code,
                WriteIspBlockRequest(device, Target, mode, context.config.romSelectCode, length,
                                     paddedLength, pinned.Token()),
                copy, paddedLength);
}

}  // namespace port_driver_b

}  // namespace kestrix::device
