// The self driver's ISP IOCTLs: a 65,552-byte request (code, length, mode, answer buffer
// address, 64 KiB of data), served for the first reader.

#include <string>
#include <vector>

#include "core/byte_order.h"
#include "platform/sim/request_paths.h"

namespace kestrix::sim {

namespace {

constexpr std::size_t LengthOffset = 4;
constexpr std::size_t ModeOffset = 8;
constexpr std::size_t AnswerAddressOffset = 12;
constexpr std::size_t DataOffset = 16;
constexpr std::uint32_t MaxIspLength = 65536;

}  // namespace

bool ServeSelfDriver(Machine& machine, std::uint32_t code, std::span<const std::uint8_t> input,
                     std::span<std::uint8_t> output, std::uint32_t& bytesReturned) {
    const auto refuse = [&](const std::string& problem) {
        machine.Reject("HVBRDG: " + problem);
        return false;
    };
    std::optional<Command> command;
    switch (code) {
        case SelfDriverJumpToIsp:
            command = Command::JumpToIsp;
            break;
        case SelfDriverGetIspStatus:
            command = Command::GetIspStatus;
            break;
        case SelfDriverWriteIspBlock:
            command = Command::WriteIspBlock;
            break;
        default:
            return refuse("unknown control code " + std::to_string(code));
    }
    if (input.size() != SelfDriverRequestSize)
        return refuse("request of " + std::to_string(input.size()) + " bytes, expected 65552");
    // Read the request whole before writing any answer.
    const std::vector<std::uint8_t> request(input.begin(), input.end());
    if (core::GetLe32(request, 0) != code)
        return refuse("request names code " + std::to_string(core::GetLe32(request, 0)) +
                      " but was sent with " + std::to_string(code));
    const std::uint32_t length = core::GetLe32(request, LengthOffset);
    const std::uint32_t mode = core::GetLe32(request, ModeOffset);
    const std::uint32_t answerAddress = core::GetLe32(request, AnswerAddressOffset);

    std::span<std::uint8_t> answer;
    if (*command == Command::WriteIspBlock) {
        if (length == 0 || length > MaxIspLength)
            return refuse("WriteIspBlock of length " + std::to_string(length));
        if (mode > 1) return refuse("WriteIspBlock with mode " + std::to_string(mode));
    } else {
        answer = machine.Memory().Resolve(answerAddress, 1);
        if (answer.empty())
            return refuse(std::string(CommandName(*command)) +
                          ": no answer buffer at the request's address");
    }

    if (machine.Readers().empty()) return false;
    ReaderModel& reader = machine.Readers().front();
    if (reader.CountCall(*command)) return false;
    switch (*command) {
        case Command::JumpToIsp:
            reader.JumpToIsp();
            answer[0] = reader.Current().status;
            break;
        case Command::GetIspStatus:
            answer[0] = reader.IspStatus();
            break;
        default: {
            const auto data = std::span<const std::uint8_t>(request).subspan(DataOffset, length);
            if (!reader.WriteIspBlock(data,
                                      mode == 0 ? IspWriteMode::Program : IspWriteMode::Verify, 0))
                return refuse("WriteIspBlock while no ISP loader runs");
            bytesReturned = 0;
            return true;
        }
    }
    // The one-byte answer also goes to the output buffer when the call names one.
    if (!output.empty()) output[0] = answer[0];
    bytesReturned = output.empty() ? 0 : 1;
    return true;
}

}  // namespace kestrix::sim
