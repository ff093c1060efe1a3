#include "device/pass_through_request.h"

#include <algorithm>
#include <span>

#include "core/byte_order.h"
#include "platform/pass_through_layout.h"

namespace kestrix::device::pass_through {

namespace header = platform::pass_through;

Outcome Send(DeviceContext& context, const Request& request) {
    auto& buffer = context.state.passThroughBuffer;
    if (request.inputLength > buffer.size() || request.outputLength > buffer.size() ||
        request.transferLength > DataAreaSize)
        return {};
    if (request.clearBuffer) buffer.fill(0);

    const std::span<std::uint8_t> bytes(buffer);
    core::PutLe16(bytes, header::LengthOffset, static_cast<std::uint16_t>(header::HeaderSize));
    bytes[header::ScsiStatusOffset] = 0;
    bytes[header::PathIdOffset] = 0;
    bytes[header::TargetIdOffset] = TargetId;
    bytes[header::LunOffset] = 0;
    bytes[header::CdbLengthOffset] = static_cast<std::uint8_t>(CdbSize);
    bytes[header::SenseInfoLengthOffset] = static_cast<std::uint8_t>(SenseAreaSize);
    bytes[header::DataInOffset] = request.dataIn ? header::DataIn : header::DataOut;
    core::PutLe32(bytes, header::DataTransferLengthOffset, request.transferLength);
    core::PutLe32(bytes, header::TimeOutValueOffset, request.timeoutSeconds);
    core::PutLe32(bytes, header::DataBufferOffsetOffset,
                  static_cast<std::uint32_t>(DataAreaOffset));
    core::PutLe32(bytes, header::SenseInfoOffsetOffset,
                  static_cast<std::uint32_t>(SenseAreaOffset));
    std::fill_n(bytes.begin() + header::CdbOffset, header::CdbCapacity, std::uint8_t{0});
    std::copy(request.cdb.begin(), request.cdb.end(), bytes.begin() + header::CdbOffset);

    std::uint32_t returned = 0;
    Outcome outcome;
    outcome.callSucceeded = context.host.kernel.DeviceIoControl(
        context.state.driveHandle, header::IoctlScsiPassThrough, bytes.first(request.inputLength),
        bytes.first(request.outputLength), returned);
    outcome.scsiStatus = bytes[header::ScsiStatusOffset];
    return outcome;
}

}  // namespace kestrix::device::pass_through
