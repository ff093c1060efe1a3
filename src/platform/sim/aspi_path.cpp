// Executing an ASPI execute-SCSI request block against the reader slot at its adapter and
// target. Runs on the ASPI completion thread; the owner holds the machine's lock.

#include <algorithm>
#include <string>

#include "core/byte_order.h"
#include "platform/aspi_layout.h"
#include "platform/sim/request_paths.h"
#include "platform/sim/scsi_target.h"

namespace kestrix::sim {

namespace {

namespace aspi = platform::aspi;

constexpr std::uint8_t TargetStatusCheckCondition = 0x02;

void Complete(std::span<std::uint8_t> block, std::uint8_t status, std::uint8_t targetStatus) {
    block[aspi::AdapterStatusOffset] = 0;
    block[aspi::TargetStatusOffset] = targetStatus;
    block[aspi::StatusOffset] = status;
}

}  // namespace

void ExecuteAspiRequest(Machine& machine, std::span<std::uint8_t> block) {
    if (block.size() < aspi::RequestBlockSize) {
        machine.Reject("ASPI: request block of " + std::to_string(block.size()) +
                       " bytes, expected 256");
        if (block.size() > aspi::StatusOffset)
            block[aspi::StatusOffset] = aspi::StatusInvalidCommand;
        return;
    }
    const std::uint8_t adapter = block[aspi::AdapterOffset];
    const std::uint8_t target = block[aspi::TargetOffset];
    const std::string via = "ASPI " + std::to_string(adapter) + ":" + std::to_string(target);
    const auto refuse = [&](const std::string& problem) {
        machine.Reject(via + ": " + problem);
        Complete(block, aspi::StatusInvalidCommand, 0);
    };

    if (block[aspi::CommandOffset] != aspi::ExecuteScsiCommand)
        return refuse("command code " + std::to_string(block[aspi::CommandOffset]) +
                      " is not execute-SCSI (2)");
    const std::uint8_t flags = block[aspi::FlagsOffset];
    const std::uint8_t lun = block[aspi::LunOffset];
    const std::uint32_t bufferLength = core::GetLe32(block, aspi::BufferLengthOffset);
    const std::uint32_t bufferAddress = core::GetLe32(block, aspi::BufferAddressOffset);
    const std::uint8_t senseLength = block[aspi::SenseLengthOffset];
    const std::uint8_t cdbLength = block[aspi::CdbLengthOffset];

    if (cdbLength == 0 || cdbLength > aspi::CdbCapacity)
        return refuse("CDB length " + std::to_string(cdbLength));
    if (aspi::SenseAreaOffset + senseLength > aspi::RequestBlockSize)
        return refuse("sense length " + std::to_string(senseLength) + " does not fit the block");
    const bool in = (flags & aspi::FlagDataIn) != 0;
    const bool out = (flags & aspi::FlagDataOut) != 0;
    if (in && out) return refuse("flags ask for data in and out at once");
    std::span<std::uint8_t> buffer;
    if (bufferLength > 0) {
        buffer = machine.Memory().Resolve(bufferAddress, bufferLength);
        if (buffer.size() != bufferLength)
            return refuse("no data buffer of " + std::to_string(bufferLength) +
                          " bytes at its address");
    }

    const auto slot = machine.SlotAtAspi(adapter, target);
    if (!slot || lun != 0) {
        // Nothing answers at this address.
        Complete(block, aspi::StatusError, 0);
        return;
    }

    ScsiRequest scsi;
    scsi.cdb = std::span<const std::uint8_t>(block).subspan(aspi::CdbOffset, cdbLength);
    scsi.transferLength = bufferLength;
    scsi.direction = in                 ? DataDirection::In
                     : out              ? DataDirection::Out
                     : bufferLength > 0 ? DataDirection::Unspecified
                                        : DataDirection::None;
    if (in || scsi.direction == DataDirection::Unspecified) scsi.dataIn = buffer;
    if (out || scsi.direction == DataDirection::Unspecified) scsi.dataOut = buffer;

    const ScsiOutcome outcome = ExecuteOnReader(machine, *slot, scsi, via);
    switch (outcome.kind) {
        case ScsiOutcome::Kind::Good:
            Complete(block, aspi::StatusCompleted, 0);
            break;
        case ScsiOutcome::Kind::CheckCondition: {
            const std::size_t n = std::min<std::size_t>(senseLength, outcome.sense.size());
            std::copy_n(outcome.sense.begin(), n, block.begin() + aspi::SenseAreaOffset);
            Complete(block, aspi::StatusError, TargetStatusCheckCondition);
            break;
        }
        case ScsiOutcome::Kind::TransportFailure: {
            const auto& faults = machine.Readers()[slot->reader].Config().faults;
            Complete(block, aspi::StatusError, faults.scsiStatus.value_or(0));
            break;
        }
    }
}

}  // namespace kestrix::sim
