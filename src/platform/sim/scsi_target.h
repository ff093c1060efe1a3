#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/sim/machine.h"

// Executes one CDB against a reader slot or a plain disk, as the device's firmware answers
// it: the vendor commands of the 0x06 and 0xFF families and standard INQUIRY.
namespace kestrix::sim {

enum class DataDirection { None, In, Out, Unspecified };

struct ScsiRequest {
    std::span<const std::uint8_t> cdb;
    DataDirection direction = DataDirection::None;
    std::uint32_t transferLength = 0;
    std::span<std::uint8_t> dataIn;         // transferLength bytes when reading
    std::span<const std::uint8_t> dataOut;  // transferLength bytes when writing
};

inline constexpr std::size_t SenseDataSize = 18;
inline constexpr std::uint8_t ScsiStatusGood = 0x00;
inline constexpr std::uint8_t ScsiStatusCheckCondition = 0x02;

struct ScsiOutcome {
    enum class Kind { Good, CheckCondition, TransportFailure };
    Kind kind = Kind::Good;
    std::uint32_t transferred = 0;  // bytes written into dataIn
    std::array<std::uint8_t, SenseDataSize> sense{};
    std::optional<Command> command;
};

// `via` names the path in records of refused requests (e.g. "E: pass-through").
[[nodiscard]] ScsiOutcome ExecuteOnReader(Machine& machine, const SlotRef& slot,
                                          const ScsiRequest& request, std::string_view via);

// A fixed disk answers INQUIRY with its own identity and refuses everything else.
[[nodiscard]] ScsiOutcome ExecuteOnDisk(const ScsiRequest& request);

// A check condition with ILLEGAL REQUEST sense and the given additional sense code.
[[nodiscard]] ScsiOutcome IllegalRequest(std::uint8_t asc);

}  // namespace kestrix::sim
