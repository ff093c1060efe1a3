#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/sim/info_block.h"
#include "platform/sim/world.h"

// The firmware of one card reader: its identity answers, the ISP loader of the main
// firmware and of the Memory Stick side, and the per-command call counts that faults key on.
namespace kestrix::sim {

inline constexpr std::uint32_t InfoBlockAddress = 0x04A55A30u;
inline constexpr std::size_t BlockSize = 512;

inline constexpr std::uint8_t StatusInIsp = 0x9C;
inline constexpr std::uint8_t StatusBlockWritten = 0xA5;
inline constexpr std::uint8_t StatusVerifyPass = 0x5A;
inline constexpr std::uint8_t StatusVerifyFail = 0x33;

// The 512-byte block that switches the Memory Stick side between its main firmware and its
// ISP code begins with these bytes.
inline constexpr std::array<std::uint8_t, 4> MsControlMagic = {0xAA, 0x55, 0xBB, 0x66};

enum class IspWriteMode : std::uint8_t { Program = 0, Verify = 1 };

class ReaderModel {
  public:
    explicit ReaderModel(Reader config);

    [[nodiscard]] const Reader& Config() const { return config_; }
    [[nodiscard]] std::size_t SlotCount() const { return config_.slots.size(); }

    // Counts a call of `command` and tells whether a configured fault makes it fail.
    [[nodiscard]] bool CountCall(Command command);
    [[nodiscard]] std::uint32_t Calls(Command command) const;

    // What the drivers report for this reader; faults may replace them.
    [[nodiscard]] std::uint32_t ReportedSlotCount() const;

    [[nodiscard]] InfoBlock InfoAnswer() const;
    [[nodiscard]] std::array<std::uint8_t, InquiryAnswerSize> InquiryAnswer() const;
    [[nodiscard]] const std::array<std::uint8_t, 8>& RevisionRecord() const {
        return config_.firmwareRevision;
    }

    // Block reads at InfoBlockAddress, one block: the first 512 bytes of the information block.
    [[nodiscard]] bool ReadBlocks(std::uint32_t address, std::uint32_t count,
                                  std::span<std::uint8_t> out) const;
    // A block written at InfoBlockAddress is a Memory Stick control block.
    [[nodiscard]] bool WriteBlocks(std::uint32_t address, std::uint32_t count,
                                   std::span<const std::uint8_t> data);

    void JumpToIsp();
    // The status byte the next GetIspStatus answers (call already counted).
    [[nodiscard]] std::uint8_t IspStatus() const;
    // False when neither ISP loader runs: the firmware refuses the block.
    [[nodiscard]] bool WriteIspBlock(std::span<const std::uint8_t> image, IspWriteMode mode,
                                     std::uint8_t romSelectCode);

    struct State {
        bool inIsp = false;       // the main firmware's ISP loader runs
        bool msInIsp = false;     // the Memory Stick side runs its ISP code
        std::uint8_t status = 0;  // the ISP status register
        std::vector<std::uint8_t> firmware;
        std::vector<std::uint8_t> msFirmware;
        std::optional<std::size_t> programmedLength;
        std::optional<std::size_t> msProgrammedLength;
        std::uint32_t programWrites = 0;
        std::uint32_t verifyWrites = 0;
        std::uint32_t controlBlocks = 0;
        std::optional<std::uint8_t> lastRomSelectCode;
        std::vector<std::uint8_t> lastControlBlock;
        std::array<std::uint32_t, CommandCount> calls{};
    };
    [[nodiscard]] const State& Current() const { return state_; }

  private:
    Reader config_;
    State state_;
};

}  // namespace kestrix::sim
