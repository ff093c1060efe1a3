#include "device/port_driver_request.h"

#include <algorithm>

#include "core/byte_order.h"

namespace kestrix::device {

namespace {

using port_request::CdbRequest;
using port_request::Direction;
using port_request::Request;

Request Build(std::uint32_t function, std::uint32_t parameter, std::uint32_t addressing,
              std::uint32_t buffer) {
    Request request{};
    core::PutLe32(request, port_request::FunctionOffset, function);
    core::PutLe32(request, port_request::ParameterOffset, parameter);
    core::PutLe32(request, port_request::AddressingOffset, addressing);
    core::PutLe32(request, port_request::BufferAddressOffset, buffer);
    return request;
}

// Dialect A: the addressing word names the device, logical unit 0.
Request BuildA(std::uint32_t function, std::uint8_t device, std::uint32_t parameter,
               std::uint16_t countOrMode, std::uint32_t buffer) {
    return Build(function, parameter, port_request::AddressingWord(device, 0, countOrMode), buffer);
}

CdbRequest BuildCdb(std::uint32_t device, std::uint32_t target, const Cdb& block,
                    Direction direction, std::uint32_t transferLength, std::uint32_t buffer) {
    CdbRequest request{};
    core::PutLe32(request, port_request::CdbFunctionOffset, port_driver_b::FunctionExecuteCdb);
    core::PutLe32(request, port_request::DeviceOffset, device);
    core::PutLe32(request, port_request::TargetOffset, target);
    std::copy(block.begin(), block.end(), request.begin() + port_request::CdbOffset);
    core::PutLe32(request, port_request::DirectionOffset, static_cast<std::uint32_t>(direction));
    core::PutLe32(request, port_request::TransferLengthOffset, transferLength);
    core::PutLe32(request, port_request::CdbBufferAddressOffset, buffer);
    return request;
}

constexpr std::uint32_t SelectedTarget = 0;

}  // namespace

namespace port_driver_a {

Request ReadBlocksRequest(std::uint8_t device, std::uint32_t address, std::uint16_t count,
                          std::uint32_t buffer) {
    return BuildA(FunctionReadBlocks, device, address, count, buffer);
}

Request ReadBlocksAltRequest(std::uint8_t device, std::uint32_t address, std::uint16_t count,
                             std::uint32_t buffer) {
    return BuildA(FunctionReadBlocksAlt, device, address, count, buffer);
}

Request WriteBlocksRequest(std::uint8_t device, std::uint32_t address, std::uint16_t count,
                           std::uint32_t buffer) {
    return BuildA(FunctionWriteBlocks, device, address, count, buffer);
}

Request GetDeviceCountRequest(std::uint32_t answer) {
    return BuildA(FunctionGetDeviceCount, 0, 0, 0, answer);
}

Request GetSlotCountRequest(std::uint8_t device, std::uint32_t answer) {
    return BuildA(FunctionGetSlotCount, device, 0, 0, answer);
}

Request ReadFirmwareRevisionRequest(std::uint8_t device, std::uint32_t answer) {
    return BuildA(FunctionReadFirmwareRevision, device, 0, 0, answer);
}

Request JumpToIspRequest(std::uint8_t device, std::uint32_t answer) {
    return BuildA(FunctionJumpToIsp, device, 0, 0, answer);
}

Request GetIspStatusRequest(std::uint8_t device, std::uint32_t answer) {
    return BuildA(FunctionGetIspStatus, device, 0, 0, answer);
}

Request WriteIspBlockRequest(std::uint8_t device, std::uint32_t length, IspWriteMode mode,
                             std::uint32_t data) {
    return BuildA(FunctionWriteIspBlock, device, length, static_cast<std::uint16_t>(mode), data);
}

}  // namespace port_driver_a

namespace port_driver_b {

Request GetDeviceCountRequest(std::uint32_t answer) {
    return Build(FunctionGetDeviceCount, 0, 0, answer);
}

Request GetSlotCountRequest(std::uint8_t device, std::uint32_t answer) {
    return Build(FunctionGetSlotCount, 0, port_request::AddressingWord(device, 0, 0), answer);
}

CdbRequest ReadDeviceInfoRequest(std::uint32_t device, std::uint32_t target, std::uint32_t answer) {
    return BuildCdb(device, target, ReadDeviceInfoCdb(), Direction::In, DeviceInfoBlockLength,
                    answer);
}

CdbRequest JumpToIspRequest(std::uint32_t device, std::uint32_t buffer) {
    return BuildCdb(device, SelectedTarget, JumpToIspCdb(JumpToIspForm::Extended), Direction::None,
                    0, buffer);
}

CdbRequest GetIspStatusRequest(std::uint32_t device, std::uint32_t answer) {
    return BuildCdb(device, SelectedTarget, GetIspStatusCdb(), Direction::In,
                    ExtendedIspStatusLength, answer);
}

CdbRequest WriteIspBlockRequest(std::uint32_t device, std::uint32_t target, IspWriteMode mode,
                                std::uint8_t romSelectCode, std::uint32_t length,
                                std::uint32_t paddedLength, std::uint32_t data) {
    return BuildCdb(device, target, WriteIspBlockCdb(mode, romSelectCode, length, paddedLength),
                    Direction::Out, paddedLength, data);
}

}  // namespace port_driver_b

}  // namespace kestrix::device
