#include "device/self_driver_request.h"

#include <algorithm>

#include "core/byte_order.h"

namespace kestrix::device::self_driver {

namespace {

void Build(std::span<std::uint8_t, RequestSize> request, std::uint32_t code, std::uint32_t length,
           std::uint32_t mode, std::uint32_t answerToken) {
    std::fill(request.begin(), request.end(), std::uint8_t{0});
    core::PutLe32(request, CodeOffset, code);
    core::PutLe32(request, LengthOffset, length);
    core::PutLe32(request, ModeOffset, mode);
    core::PutLe32(request, AnswerAddressOffset, answerToken);
}

}  // namespace

void BuildJumpToIspRequest(std::span<std::uint8_t, RequestSize> request,
                           std::uint32_t answerToken) {
    Build(request, IoctlJumpToIsp, 0, 0, answerToken);
}

void BuildGetIspStatusRequest(std::span<std::uint8_t, RequestSize> request,
                              std::uint32_t answerToken) {
    Build(request, IoctlGetIspStatus, 0, 0, answerToken);
}

void BuildWriteIspBlockRequest(std::span<std::uint8_t, RequestSize> request,
                               std::span<const std::uint8_t> data, IspWriteMode mode,
                               std::uint32_t answerToken) {
    const std::size_t length = std::min(data.size(), DataCapacity);
    Build(request, IoctlWriteIspBlock, static_cast<std::uint32_t>(length),
          static_cast<std::uint32_t>(mode), answerToken);
    std::copy_n(data.begin(), length, request.begin() + DataOffset);
}

}  // namespace kestrix::device::self_driver
