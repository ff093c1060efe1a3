#include "platform/sim/scsi_target.h"

#include <algorithm>
#include <string>

#include "core/byte_order.h"
#include "platform/sim/hex_text.h"

namespace kestrix::sim {

namespace {

constexpr std::uint8_t OpInquiry = 0x12;
constexpr std::uint8_t OpVendor = 0x06;
constexpr std::uint8_t OpSelfDriverFamily = 0xFF;

constexpr std::uint8_t SubReadDeviceInfo = 0x05;
constexpr std::uint8_t SubJumpToIsp = 0xBF;
constexpr std::uint8_t SubGetIspStatus = 0xB0;
constexpr std::uint8_t SubWriteProgram = 0xB1;
constexpr std::uint8_t SubWriteVerify = 0xB2;

constexpr std::uint8_t SubGetDeviceCount = 0x01;
constexpr std::uint8_t SubGetSlotCount = 0x02;
constexpr std::uint8_t SubReadBlocks = 0x03;
constexpr std::uint8_t SubReadBlocksAlt = 0x13;

constexpr std::uint8_t AscInvalidOpcode = 0x20;
constexpr std::uint8_t AscInvalidField = 0x24;
constexpr std::uint8_t AscLunNotSupported = 0x25;

constexpr std::size_t MaxIspUnits = 128;

std::optional<Command> Classify(std::span<const std::uint8_t> cdb) {
    if (cdb.empty()) return std::nullopt;
    if (cdb[0] == OpInquiry) return Command::Inquiry;
    if (cdb.size() < 2) return std::nullopt;
    if (cdb[0] == OpVendor) {
        switch (cdb[1]) {
            case SubReadDeviceInfo:
                return Command::ReadDeviceInfo;
            case SubJumpToIsp:
                return Command::JumpToIsp;
            case SubGetIspStatus:
                return Command::GetIspStatus;
            case SubWriteProgram:
            case SubWriteVerify:
                return Command::WriteIspBlock;
            default:
                return std::nullopt;
        }
    }
    if (cdb[0] == OpSelfDriverFamily) {
        switch (cdb[1]) {
            case SubGetDeviceCount:
                return Command::GetDeviceCount;
            case SubGetSlotCount:
                return Command::GetSlotCount;
            case SubReadBlocks:
                return Command::ReadBlocks;
            case SubReadBlocksAlt:
                return Command::ReadBlocksAlt;
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

ScsiOutcome Good(Command command, std::uint32_t transferred) {
    ScsiOutcome outcome;
    outcome.command = command;
    outcome.transferred = transferred;
    return outcome;
}

bool Reads(const ScsiRequest& request) {
    return request.direction == DataDirection::In ||
           request.direction == DataDirection::Unspecified;
}
bool Writes(const ScsiRequest& request) {
    return request.direction == DataDirection::Out ||
           request.direction == DataDirection::Unspecified;
}

// Delivers `answer`, then zeros, up to the transfer length; returns the bytes delivered.
std::uint32_t Deliver(const ScsiRequest& request, std::span<const std::uint8_t> answer) {
    const std::size_t n = std::min<std::size_t>(request.transferLength, request.dataIn.size());
    std::fill_n(request.dataIn.begin(), n, std::uint8_t{0});
    std::copy_n(answer.begin(), std::min(n, answer.size()), request.dataIn.begin());
    return static_cast<std::uint32_t>(n);
}

class ReaderExecution {
  public:
    ReaderExecution(Machine& machine, const SlotRef& slot, const ScsiRequest& request,
                    std::string_view via)
        : machine_(machine),
          reader_(machine.Readers()[slot.reader]),
          request_(request),
          via_(via) {}

    ScsiOutcome Run() {
        const auto& cdb = request_.cdb;
        const auto command = Classify(cdb);
        if (!command) {
            return Refuse(AscInvalidOpcode,
                          "unknown command " +
                              FormatHexBytes(cdb.first(std::min<std::size_t>(2, cdb.size()))));
        }
        if (reader_.CountCall(*command)) {
            ScsiOutcome outcome;
            outcome.kind = ScsiOutcome::Kind::TransportFailure;
            outcome.command = command;
            return outcome;
        }
        ScsiOutcome outcome = Execute(*command);
        outcome.command = command;
        return outcome;
    }

  private:
    ScsiOutcome Refuse(std::uint8_t asc, const std::string& problem) {
        machine_.Reject(std::string(via_) + ": " + problem);
        return IllegalRequest(asc);
    }

    // A data-in command needs a read of at least `minimum` bytes.
    std::optional<ScsiOutcome> NeedRead(std::string_view name, std::uint32_t minimum) {
        if (!Reads(request_))
            return Refuse(AscInvalidField, std::string(name) + " sent without a data-in phase");
        if (request_.transferLength < minimum)
            return Refuse(AscInvalidField, std::string(name) + " with a transfer length of " +
                                               std::to_string(request_.transferLength) +
                                               ", needs " + std::to_string(minimum));
        return std::nullopt;
    }

    ScsiOutcome Execute(Command command) {
        const auto& cdb = request_.cdb;
        switch (command) {
            case Command::Inquiry: {
                if (cdb.size() < 6) return Refuse(AscInvalidField, "INQUIRY with a short CDB");
                if (auto refused = NeedRead("INQUIRY", 1)) return *refused;
                if ((cdb[1] & 0x01) != 0)
                    return IllegalRequest(AscInvalidField);  // no vital product data
                auto answer = reader_.InquiryAnswer();
                if ((cdb[1] >> 5) != 0) {
                    // No logical unit behind a slot's drive: qualifier 3, no device type.
                    answer.fill(0);
                    answer[0] = 0x7F;
                }
                const std::size_t allocation = cdb[4];
                const std::span<const std::uint8_t> data(answer.data(),
                                                         std::min(allocation, answer.size()));
                return Good(command, Deliver(request_, data));
            }
            case Command::ReadDeviceInfo: {
                if (auto refused = NeedRead("ReadDeviceInfo", InfoBlockSize)) return *refused;
                const InfoBlock block = reader_.InfoAnswer();
                return Good(command, Deliver(request_, block));
            }
            case Command::JumpToIsp:
                if (request_.transferLength != 0)
                    return Refuse(AscInvalidField, "JumpToIsp with a data phase of " +
                                                       std::to_string(request_.transferLength) +
                                                       " bytes");
                reader_.JumpToIsp();
                return Good(command, 0);
            case Command::GetIspStatus: {
                if (auto refused = NeedRead("GetIspStatus", 1)) return *refused;
                const std::array<std::uint8_t, 1> status = {reader_.IspStatus()};
                return Good(command, Deliver(request_, status));
            }
            case Command::WriteIspBlock:
                return WriteIspBlock();
            case Command::GetDeviceCount:
            case Command::GetSlotCount: {
                if (auto refused = NeedRead(CommandName(command), 1)) return *refused;
                const std::uint32_t count = command == Command::GetDeviceCount
                                                ? machine_.ReportedDeviceCount()
                                                : reader_.ReportedSlotCount();
                const std::array<std::uint8_t, 1> answer = {static_cast<std::uint8_t>(count)};
                return Good(command, Deliver(request_, answer));
            }
            case Command::ReadBlocks:
            case Command::ReadBlocksAlt: {
                if (cdb.size() < 9) return Refuse(AscInvalidField, "block read with a short CDB");
                if (auto refused = NeedRead(CommandName(command), BlockSize)) return *refused;
                const std::uint32_t address = core::GetBe32(cdb, 2);
                std::array<std::uint8_t, BlockSize> block{};
                if (!reader_.ReadBlocks(address, cdb[8], block))
                    return Refuse(AscInvalidField, std::string(CommandName(command)) + " of " +
                                                       std::to_string(cdb[8]) + " block(s) at " +
                                                       Hex32(address));
                return Good(command, Deliver(request_, block));
            }
            default:
                break;
        }
        return Refuse(AscInvalidOpcode, "unexpected command");
    }

    ScsiOutcome WriteIspBlock() {
        const auto& cdb = request_.cdb;
        if (cdb.size() < 7) return Refuse(AscInvalidField, "WriteIspBlock with a short CDB");
        const auto mode = static_cast<std::uint8_t>(cdb[1] - SubWriteProgram);
        if (cdb[2] != mode)
            return Refuse(AscInvalidField,
                          "WriteIspBlock whose mode byte " + FormatHexByte(cdb[2]) +
                              " disagrees with its opcode " + FormatHexByte(cdb[1]));
        const std::uint32_t units = cdb[6];
        const std::uint32_t padded = units * BlockSize;
        std::uint32_t length = core::GetLe16(cdb, 4);
        // A whole 64 KiB block does not fit the 16-bit length: 0 with 128 units stands for it.
        if (length == 0 && units == MaxIspUnits) length = MaxIspUnits * BlockSize;
        const std::string fields = "L " + std::to_string(length) + ", " + std::to_string(units) +
                                   " units, transfer " + std::to_string(request_.transferLength);
        if (!Writes(request_))
            return Refuse(AscInvalidField, "WriteIspBlock without a data-out phase");
        if (units == 0 || units > MaxIspUnits || request_.transferLength != padded ||
            request_.dataOut.size() < padded)
            return Refuse(AscInvalidField,
                          "WriteIspBlock with inconsistent lengths (" + fields + ")");
        if (length == 0 || length > padded || length <= padded - BlockSize)
            return Refuse(
                AscInvalidField,
                "WriteIspBlock whose length does not round up to its units (" + fields + ")");
        const auto writeMode = mode == 0 ? IspWriteMode::Program : IspWriteMode::Verify;
        if (!reader_.WriteIspBlock(request_.dataOut.first(length), writeMode, cdb[3]))
            return Refuse(AscInvalidField, "WriteIspBlock while no ISP loader runs");
        return Good(Command::WriteIspBlock, 0);
    }

    static std::string Hex32(std::uint32_t value) {
        std::array<std::uint8_t, 4> bytes{};
        core::PutBe32(bytes, 0, value);
        std::string text = "0x";
        for (const std::uint8_t b : bytes) text += FormatHexByte(b).substr(2);
        return text;
    }

    Machine& machine_;
    ReaderModel& reader_;
    const ScsiRequest& request_;
    std::string_view via_;
};

}  // namespace

ScsiOutcome IllegalRequest(std::uint8_t asc) {
    ScsiOutcome outcome;
    outcome.kind = ScsiOutcome::Kind::CheckCondition;
    outcome.sense[0] = 0x70;  // current error, fixed format
    outcome.sense[2] = 0x05;  // ILLEGAL REQUEST
    outcome.sense[7] = SenseDataSize - 8;
    outcome.sense[12] = asc;
    return outcome;
}

ScsiOutcome ExecuteOnReader(Machine& machine, const SlotRef& slot, const ScsiRequest& request,
                            std::string_view via) {
    if (slot.reader >= machine.Readers().size()) return IllegalRequest(AscLunNotSupported);
    return ReaderExecution(machine, slot, request, via).Run();
}

ScsiOutcome ExecuteOnDisk(const ScsiRequest& request) {
    const auto& cdb = request.cdb;
    if (cdb.size() >= 6 && cdb[0] == OpInquiry && (cdb[1] & 0x01) == 0 && Reads(request)) {
        auto answer = BuildInquiry({"DISK", "FIXED DISK", "1.00", false});
        if ((cdb[1] >> 5) != 0) {
            answer.fill(0);
            answer[0] = 0x7F;
        }
        const std::span<const std::uint8_t> data(answer.data(),
                                                 std::min<std::size_t>(cdb[4], answer.size()));
        ScsiOutcome outcome;
        outcome.command = Command::Inquiry;
        outcome.transferred = Deliver(request, data);
        return outcome;
    }
    return IllegalRequest(AscInvalidOpcode);
}

}  // namespace kestrix::sim
