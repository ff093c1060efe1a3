#include "trace/request_decoding.h"

#include <algorithm>

#include "core/byte_order.h"
#include "device/port_driver_request.h"
#include "device/self_driver_request.h"
#include "platform/aspi_layout.h"
#include "platform/pass_through_layout.h"

namespace kestrix::trace {

namespace {

namespace pt = platform::pass_through;
namespace port = device::port_request;
namespace self = device::self_driver;

std::span<const std::uint8_t> Cdb(std::span<const std::uint8_t> bytes, std::size_t offset,
                                  std::size_t length, std::size_t capacity) {
    return bytes.subspan(offset, std::min(length, capacity));
}

Record PassThroughRequest(std::span<const std::uint8_t> in) {
    const std::uint8_t cdbLength = in[pt::CdbLengthOffset];
    Record record;
    record["kind"] = "passThrough";
    record["length"] = core::GetLe16(in, pt::LengthOffset);
    record["pathId"] = in[pt::PathIdOffset];
    record["targetId"] = in[pt::TargetIdOffset];
    record["lun"] = in[pt::LunOffset];
    record["cdbLength"] = cdbLength;
    record["senseInfoLength"] = in[pt::SenseInfoLengthOffset];
    record["dataIn"] = in[pt::DataInOffset];
    record["dataTransferLength"] = core::GetLe32(in, pt::DataTransferLengthOffset);
    record["timeOutValue"] = core::GetLe32(in, pt::TimeOutValueOffset);
    record["dataBufferOffset"] = core::GetLe32(in, pt::DataBufferOffsetOffset);
    record["senseInfoOffset"] = core::GetLe32(in, pt::SenseInfoOffsetOffset);
    record["cdb"] = HexBytes(Cdb(in, pt::CdbOffset, cdbLength, pt::CdbCapacity));
    return record;
}

// The 16-byte function-coded request of both port-driver dialects.
Record FunctionRequest(const char* kind, std::span<const std::uint8_t> in) {
    const std::uint32_t addressing = core::GetLe32(in, port::AddressingOffset);
    Record record;
    record["kind"] = kind;
    record["function"] = HexNumber(core::GetLe32(in, port::FunctionOffset));
    record["parameter"] = HexNumber(core::GetLe32(in, port::ParameterOffset));
    record["device"] = addressing >> 24;
    record["unit"] = (addressing >> 16) & 0xFF;
    record["countOrMode"] = addressing & 0xFFFF;
    record["buffer"] = HexNumber(core::GetLe32(in, port::BufferAddressOffset));
    return record;
}

Record CdbRequest(std::span<const std::uint8_t> in) {
    Record record;
    record["kind"] = "portDriverB";
    record["function"] = HexNumber(core::GetLe32(in, port::CdbFunctionOffset));
    record["device"] = core::GetLe32(in, port::DeviceOffset);
    record["target"] = core::GetLe32(in, port::TargetOffset);
    record["cdb"] = HexBytes(in.subspan(port::CdbOffset, port::CdbAreaSize));
    record["direction"] = core::GetLe32(in, port::DirectionOffset);
    record["transferLength"] = core::GetLe32(in, port::TransferLengthOffset);
    record["buffer"] = HexNumber(core::GetLe32(in, port::CdbBufferAddressOffset));
    return record;
}

Record SelfDriverRequest(std::span<const std::uint8_t> in) {
    Record record;
    record["kind"] = "selfDriver";
    record["code"] = HexNumber(core::GetLe32(in, self::CodeOffset));
    record["length"] = core::GetLe32(in, self::LengthOffset);
    record["mode"] = core::GetLe32(in, self::ModeOffset);
    record["answer"] = HexNumber(core::GetLe32(in, self::AnswerAddressOffset));
    return record;
}

}  // namespace

std::optional<Record> DecodeIoControlRequest(std::uint32_t code,
                                             std::span<const std::uint8_t> input) {
    switch (code) {
        case pt::IoctlScsiPassThrough:
            if (input.size() < pt::HeaderSize) return std::nullopt;
            return PassThroughRequest(input);
        case port::IoctlDialectA:
            if (input.size() < port::RequestSize) return std::nullopt;
            return FunctionRequest("portDriverA", input);
        case port::IoctlDialectB:
            if (input.size() >= port::CdbRequestSize &&
                core::GetLe32(input, port::CdbFunctionOffset) ==
                    device::port_driver_b::FunctionExecuteCdb)
                return CdbRequest(input);
            if (input.size() < port::RequestSize) return std::nullopt;
            return FunctionRequest("portDriverB", input);
        case self::IoctlJumpToIsp:
        case self::IoctlGetIspStatus:
        case self::IoctlWriteIspBlock:
            if (input.size() < self::DataOffset) return std::nullopt;
            return SelfDriverRequest(input);
        default:
            return std::nullopt;
    }
}

std::optional<Record> DecodeIoControlAnswer(std::uint32_t code,
                                            std::span<const std::uint8_t> output) {
    if (code != pt::IoctlScsiPassThrough || output.size() <= pt::ScsiStatusOffset)
        return std::nullopt;
    Record record;
    record["scsiStatus"] = output[pt::ScsiStatusOffset];
    return record;
}

std::optional<Record> DecodeAspiRequest(std::span<const std::uint8_t> block) {
    namespace aspi = platform::aspi;
    if (block.size() < aspi::SenseAreaOffset) return std::nullopt;
    const std::uint8_t cdbLength = block[aspi::CdbLengthOffset];
    Record record;
    record["command"] = block[aspi::CommandOffset];
    record["adapter"] = block[aspi::AdapterOffset];
    record["target"] = block[aspi::TargetOffset];
    record["lun"] = block[aspi::LunOffset];
    record["flags"] = HexNumber(block[aspi::FlagsOffset]);
    record["bufferLength"] = core::GetLe32(block, aspi::BufferLengthOffset);
    record["buffer"] = HexNumber(core::GetLe32(block, aspi::BufferAddressOffset));
    record["senseLength"] = block[aspi::SenseLengthOffset];
    record["cdbLength"] = cdbLength;
    record["cdb"] = HexBytes(Cdb(block, aspi::CdbOffset, cdbLength, aspi::CdbCapacity));
    return record;
}

}  // namespace kestrix::trace
