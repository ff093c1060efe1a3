// IOCTL_SCSI_PASS_THROUGH on a drive letter: the 44-byte header, the sense area at 48 and the
// data area at 80, as the logic lays them out in one buffer.

#include <algorithm>
#include <string>
#include <vector>

#include "core/byte_order.h"
#include "platform/pass_through_layout.h"
#include "platform/sim/request_paths.h"
#include "platform/sim/scsi_target.h"

namespace kestrix::sim {

namespace {

namespace pt = platform::pass_through;

constexpr std::uint32_t ExpectedSenseOffset = 48;
constexpr std::uint32_t ExpectedDataOffset = 80;
constexpr std::uint8_t MaxSenseLength = ExpectedDataOffset - ExpectedSenseOffset;
constexpr std::uint8_t DataUnspecified = 2;

bool ValidCdbLength(std::uint8_t length) {
    return length == 6 || length == 10 || length == 12 || length == 16;
}

}  // namespace

bool ServePassThrough(Machine& machine, char letter, std::span<const std::uint8_t> input,
                      std::span<std::uint8_t> output, std::uint32_t& bytesReturned) {
    const std::string via = std::string(1, letter) + ": pass-through";
    const auto refuse = [&](const std::string& problem) {
        machine.Reject(via + ": " + problem);
        return false;
    };
    if (machine.Is9x()) return refuse("SCSI pass-through does not exist on Windows 9x");
    if (input.size() < pt::HeaderSize || output.size() < pt::HeaderSize)
        return refuse("input length " + std::to_string(input.size()) + " and output length " +
                      std::to_string(output.size()) + " must both hold the 44-byte header");

    // Input and output may be the same memory: take the whole request first.
    const std::vector<std::uint8_t> request(input.begin(), input.end());
    const std::uint16_t length = core::GetLe16(request, pt::LengthOffset);
    const std::uint8_t cdbLength = request[pt::CdbLengthOffset];
    const std::uint8_t senseLength = request[pt::SenseInfoLengthOffset];
    const std::uint8_t dataIn = request[pt::DataInOffset];
    const std::uint32_t transferLength = core::GetLe32(request, pt::DataTransferLengthOffset);
    const std::uint32_t dataOffset = core::GetLe32(request, pt::DataBufferOffsetOffset);
    const std::uint32_t senseOffset = core::GetLe32(request, pt::SenseInfoOffsetOffset);

    if (length != pt::HeaderSize)
        return refuse("header Length " + std::to_string(length) + ", expected 44");
    if (!ValidCdbLength(cdbLength))
        return refuse("CdbLength " + std::to_string(cdbLength) + " is not 6, 10, 12 or 16");
    if (dataOffset != ExpectedDataOffset)
        return refuse("DataBufferOffset " + std::to_string(dataOffset) + ", expected 80");
    if (senseOffset != ExpectedSenseOffset)
        return refuse("SenseInfoOffset " + std::to_string(senseOffset) + ", expected 48");
    if (senseLength > MaxSenseLength)
        return refuse("SenseInfoLength " + std::to_string(senseLength) +
                      " does not fit before the data area");
    if (senseLength > 0 && output.size() < ExpectedSenseOffset + senseLength)
        return refuse("the output buffer of " + std::to_string(output.size()) +
                      " bytes does not hold the sense area");
    if (dataIn > DataUnspecified)
        return refuse("DataIn " + std::to_string(dataIn) + " is not 0, 1 or 2");
    if (dataIn == DataUnspecified && transferLength != 0)
        return refuse("a data transfer without a direction");
    const bool reading = dataIn == pt::DataIn;
    const std::size_t room = reading ? output.size() : request.size();
    if (transferLength > 0 && (transferLength > room || room - transferLength < ExpectedDataOffset))
        return refuse("DataTransferLength " + std::to_string(transferLength) +
                      " does not fit the " + (reading ? "output" : "input") + " buffer of " +
                      std::to_string(room) + " bytes");

    std::vector<std::uint8_t> dataArea(reading ? transferLength : 0);
    ScsiRequest scsi;
    scsi.cdb = std::span<const std::uint8_t>(request).subspan(pt::CdbOffset, cdbLength);
    scsi.transferLength = transferLength;
    if (transferLength == 0) {
        scsi.direction = reading ? DataDirection::In : DataDirection::None;
    } else if (reading) {
        scsi.direction = DataDirection::In;
        scsi.dataIn = dataArea;
    } else {
        scsi.direction = DataDirection::Out;
        scsi.dataOut =
            std::span<const std::uint8_t>(request).subspan(ExpectedDataOffset, transferLength);
    }

    ScsiOutcome outcome;
    std::uint8_t status = ScsiStatusGood;
    if (const auto slot = machine.SlotOfLetter(letter)) {
        // The storage stack lets the 0xFF family through only with the self driver loaded.
        if (!scsi.cdb.empty() && scsi.cdb[0] == 0xFF && !machine.HasDriver("HVBRDG")) {
            outcome = IllegalRequest(0x20);
        } else {
            outcome = ExecuteOnReader(machine, *slot, scsi, via);
        }
        if (outcome.kind == ScsiOutcome::Kind::TransportFailure) {
            // A rehearsed failure: the call fails, or succeeds with the configured status.
            const auto& faults = machine.Readers()[slot->reader].Config().faults;
            if (!faults.scsiStatus) return false;
            outcome = ScsiOutcome{};
            outcome.kind = ScsiOutcome::Kind::CheckCondition;
            outcome.sense[0] = 0x70;
            outcome.sense[2] = 0x04;  // HARDWARE ERROR
            outcome.sense[7] = SenseDataSize - 8;
            status = *faults.scsiStatus;
        } else if (outcome.kind == ScsiOutcome::Kind::CheckCondition) {
            status = ScsiStatusCheckCondition;
        }
    } else {
        outcome = ExecuteOnDisk(scsi);
        if (outcome.kind != ScsiOutcome::Kind::Good) status = ScsiStatusCheckCondition;
    }

    std::copy_n(request.begin(), pt::HeaderSize, output.begin());
    output[pt::ScsiStatusOffset] = status;
    if (outcome.kind == ScsiOutcome::Kind::CheckCondition && senseLength > 0) {
        const std::size_t n = std::min<std::size_t>(senseLength, outcome.sense.size());
        std::copy_n(outcome.sense.begin(), n, output.begin() + ExpectedSenseOffset);
    }
    if (reading && outcome.kind == ScsiOutcome::Kind::Good) {
        std::copy_n(dataArea.begin(), outcome.transferred, output.begin() + ExpectedDataOffset);
        bytesReturned = ExpectedDataOffset + outcome.transferred;
    } else {
        bytesReturned = pt::HeaderSize;
    }
    return true;
}

}  // namespace kestrix::sim
