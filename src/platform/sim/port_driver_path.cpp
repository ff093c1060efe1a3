// The port drivers' two request dialects. Dialect A (code 0x41): 16-byte function-coded
// requests. Dialect B (code 0x42): the 16-byte request for the two counts, and a 40-byte
// request that carries a CDB. Answers go through the buffer address in the request.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/byte_order.h"
#include "platform/sim/request_paths.h"
#include "platform/sim/scsi_target.h"

namespace kestrix::sim {

namespace {

constexpr std::size_t ShortRequestSize = 16;
constexpr std::size_t CdbRequestSize = 40;
constexpr std::size_t CountAnswerSize = 8;
constexpr std::size_t RevisionSize = 8;
constexpr std::uint32_t MaxIspLength = 65536;

enum : std::uint32_t {
    FnReadBlocks = 0x01,
    FnGetDeviceCount = 0x0A,
    FnGetSlotCount = 0x0B,
    FnJumpToIsp = 0x14,
    FnGetIspStatus = 0x15,
    FnWriteIspBlock = 0x16,
    FnReadFirmwareRevision = 0x1A,
    FnReadBlocksAlt = 0x1F,
    FnWriteBlocks = 0x20,
};

enum : std::uint32_t { FnBDeviceCount = 1, FnBSlotCount = 2, FnBExecuteCdb = 3 };

std::string Hex(std::uint32_t value) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), Digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return "0x" + text;
}

class PortRequest {
  public:
    PortRequest(Machine& machine, std::string_view driver, std::uint32_t& bytesReturned)
        : machine_(machine), driver_(driver), bytesReturned_(bytesReturned) {}

    bool Refuse(const std::string& problem) {
        machine_.Reject(std::string(driver_) + ": " + problem);
        return false;
    }

    // The memory a request names; refuses the request when it is not there.
    std::span<std::uint8_t> Buffer(std::uint32_t address, std::size_t length,
                                   std::string_view what) {
        const auto buffer = machine_.Memory().Resolve(address, length);
        if (buffer.size() != length || length == 0)
            (void)Refuse(std::string(what) + ": no buffer of " + std::to_string(length) +
                         " bytes at address " + Hex(address));
        return length == 0 ? std::span<std::uint8_t>{} : buffer;
    }

    ReaderModel* Device(std::uint32_t number) {
        if (number >= machine_.Readers().size()) return nullptr;
        return &machine_.Readers()[number];
    }

    // The driver's count answers: byte 0 of an 8-byte buffer.
    bool Count(Command command, std::uint32_t device, std::uint32_t address) {
        const auto answer = Buffer(address, CountAnswerSize, CommandName(command));
        if (answer.empty()) return false;
        std::uint32_t count = 0;
        if (command == Command::GetDeviceCount) {
            if (!machine_.Readers().empty() && machine_.Readers().front().CountCall(command))
                return false;
            count = machine_.ReportedDeviceCount();
        } else {
            ReaderModel* reader = Device(device);
            if (reader == nullptr || reader->CountCall(command)) return false;
            count = reader->ReportedSlotCount();
        }
        std::fill(answer.begin(), answer.end(), std::uint8_t{0});
        answer[0] = static_cast<std::uint8_t>(count);
        bytesReturned_ = CountAnswerSize;
        return true;
    }

    bool DialectA(std::span<const std::uint8_t> request) {
        if (request.size() != ShortRequestSize)
            return Refuse("dialect A request of " + std::to_string(request.size()) +
                          " bytes, expected 16");
        const std::uint32_t function = core::GetLe32(request, 0);
        const std::uint32_t parameter = core::GetLe32(request, 4);
        const std::uint32_t word = core::GetLe32(request, 8);
        const std::uint32_t address = core::GetLe32(request, 12);
        const std::uint32_t device = word >> 24;
        const std::uint32_t unit = (word >> 16) & 0xFF;
        const std::uint32_t low = word & 0xFFFF;

        switch (function) {
            case FnGetDeviceCount:
                return Count(Command::GetDeviceCount, 0, address);
            case FnGetSlotCount:
                return Count(Command::GetSlotCount, device, address);
            default:
                break;
        }

        std::optional<Command> command;
        switch (function) {
            case FnReadBlocks:
                command = Command::ReadBlocks;
                break;
            case FnReadBlocksAlt:
                command = Command::ReadBlocksAlt;
                break;
            case FnWriteBlocks:
                command = Command::WriteBlocks;
                break;
            case FnReadFirmwareRevision:
                command = Command::ReadFirmwareRevision;
                break;
            case FnJumpToIsp:
                command = Command::JumpToIsp;
                break;
            case FnGetIspStatus:
                command = Command::GetIspStatus;
                break;
            case FnWriteIspBlock:
                command = Command::WriteIspBlock;
                break;
            default:
                return Refuse("unknown dialect A function " + Hex(function));
        }
        const std::string name(CommandName(*command));
        ReaderModel* reader = Device(device);
        if (reader == nullptr) return false;  // no such device: the driver fails the call
        if (unit >= reader->SlotCount())
            return Refuse(name + " for logical unit " + std::to_string(unit) + " of device " +
                          std::to_string(device) + ", which has " +
                          std::to_string(reader->SlotCount()) + " slot(s)");

        std::span<std::uint8_t> buffer;
        switch (*command) {
            case Command::ReadBlocks:
            case Command::ReadBlocksAlt:
            case Command::WriteBlocks:
                if (low == 0) return Refuse(name + " of 0 blocks");
                buffer = Buffer(address, std::size_t{low} * BlockSize, name);
                break;
            case Command::ReadFirmwareRevision:
                buffer = Buffer(address, RevisionSize, name);
                break;
            case Command::GetIspStatus:
                buffer = Buffer(address, 1, name);
                break;
            case Command::JumpToIsp:
                // The answer is not used; the driver writes it only where there is room.
                buffer = machine_.Memory().Resolve(address, 1);
                break;
            case Command::WriteIspBlock:
                if (parameter == 0 || parameter > MaxIspLength)
                    return Refuse(name + " of length " + std::to_string(parameter));
                if (low > 1) return Refuse(name + " with mode " + std::to_string(low));
                buffer = Buffer(address, parameter, name);
                break;
            default:
                break;
        }
        if (buffer.empty() && *command != Command::JumpToIsp) return false;

        if (reader->CountCall(*command)) return false;
        switch (*command) {
            case Command::ReadBlocks:
            case Command::ReadBlocksAlt:
                if (!reader->ReadBlocks(parameter, low, buffer))
                    return Refuse(name + " of " + std::to_string(low) + " block(s) at " +
                                  Hex(parameter));
                bytesReturned_ = static_cast<std::uint32_t>(buffer.size());
                return true;
            case Command::WriteBlocks:
                if (!reader->WriteBlocks(parameter, low, buffer))
                    return Refuse(name + " of " + std::to_string(low) + " block(s) at " +
                                  Hex(parameter));
                return true;
            case Command::ReadFirmwareRevision:
                std::copy(reader->RevisionRecord().begin(), reader->RevisionRecord().end(),
                          buffer.begin());
                bytesReturned_ = RevisionSize;
                return true;
            case Command::JumpToIsp:
                reader->JumpToIsp();
                if (!buffer.empty()) buffer[0] = reader->Current().status;
                return true;
            case Command::GetIspStatus:
                buffer[0] = reader->IspStatus();
                bytesReturned_ = 1;
                return true;
            case Command::WriteIspBlock:
                if (!reader->WriteIspBlock(
                        buffer, low == 0 ? IspWriteMode::Program : IspWriteMode::Verify, 0))
                    return Refuse(name + " while no ISP loader runs");
                return true;
            default:
                return false;
        }
    }

    bool DialectB(std::span<const std::uint8_t> request) {
        if (request.size() == ShortRequestSize) {
            const std::uint32_t function = core::GetLe32(request, 0);
            const std::uint32_t device = core::GetLe32(request, 8) >> 24;
            const std::uint32_t address = core::GetLe32(request, 12);
            if (function == FnBDeviceCount) return Count(Command::GetDeviceCount, 0, address);
            if (function == FnBSlotCount) return Count(Command::GetSlotCount, device, address);
            return Refuse("dialect B 16-byte request with function " + Hex(function) +
                          ", expected 1 or 2");
        }
        if (request.size() != CdbRequestSize)
            return Refuse("dialect B request of " + std::to_string(request.size()) +
                          " bytes, expected 16 or 40");
        const std::uint32_t function = core::GetLe32(request, 0);
        const std::uint32_t device = core::GetLe32(request, 4);
        const std::uint32_t target = core::GetLe32(request, 8);
        const std::uint32_t direction = core::GetLe32(request, 28);
        const std::uint32_t length = core::GetLe32(request, 32);
        const std::uint32_t address = core::GetLe32(request, 36);
        if (function != FnBExecuteCdb)
            return Refuse("dialect B 40-byte request with function " + Hex(function) +
                          ", expected 3");
        if (direction > 2) return Refuse("dialect B data direction " + std::to_string(direction));
        if (direction == 0 && length != 0)
            return Refuse("dialect B transfer of " + std::to_string(length) +
                          " bytes without a direction");
        std::span<std::uint8_t> buffer;
        if (length > 0) {
            buffer = Buffer(address, length, "dialect B CDB request");
            if (buffer.empty()) return false;
        }
        ReaderModel* reader = Device(device);
        if (reader == nullptr) return false;
        if (target >= reader->SlotCount())
            return Refuse("dialect B CDB request for target " + std::to_string(target) +
                          " of device " + std::to_string(device) + ", which has " +
                          std::to_string(reader->SlotCount()) + " slot(s)");

        ScsiRequest scsi;
        scsi.cdb = request.subspan(12, 16);
        scsi.transferLength = length;
        scsi.direction = direction == 0   ? DataDirection::None
                         : direction == 1 ? DataDirection::In
                                          : DataDirection::Out;
        if (direction == 1) scsi.dataIn = buffer;
        if (direction == 2) scsi.dataOut = buffer;
        const ScsiOutcome outcome = ExecuteOnReader(machine_, SlotRef{device, target}, scsi,
                                                    std::string(driver_) + " dialect B");
        if (outcome.kind != ScsiOutcome::Kind::Good) return false;
        bytesReturned_ = outcome.transferred;
        return true;
    }

  private:
    Machine& machine_;
    std::string_view driver_;
    std::uint32_t& bytesReturned_;
};

}  // namespace

bool ServePortDriver(Machine& machine, std::string_view driver, std::uint32_t code,
                     std::span<const std::uint8_t> input, std::span<std::uint8_t> /*output*/,
                     std::uint32_t& bytesReturned) {
    PortRequest request(machine, driver, bytesReturned);
    // The request is read whole before any answer is written through its addresses.
    const std::vector<std::uint8_t> copy(input.begin(), input.end());
    if (code == PortDriverDialectA) return request.DialectA(copy);
    if (code == PortDriverDialectB) return request.DialectB(copy);
    return request.Refuse("unknown control code " + Hex(code));
}

}  // namespace kestrix::sim
