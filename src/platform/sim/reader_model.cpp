#include "platform/sim/reader_model.h"

#include <algorithm>

namespace kestrix::sim {

ReaderModel::ReaderModel(Reader config) : config_(std::move(config)) {
    state_.firmware = config_.firmware;
    state_.msFirmware = config_.msFirmware;
}

bool ReaderModel::CountCall(Command command) {
    std::uint32_t& calls = state_.calls[static_cast<std::size_t>(command)];
    ++calls;
    return std::any_of(config_.faults.fail.begin(), config_.faults.fail.end(),
                       [&](const FailRule& rule) {
                           return rule.command == command && (rule.call == 0 || rule.call == calls);
                       });
}

std::uint32_t ReaderModel::Calls(Command command) const {
    return state_.calls[static_cast<std::size_t>(command)];
}

std::uint32_t ReaderModel::ReportedSlotCount() const {
    if (config_.faults.slotCount) return *config_.faults.slotCount;
    return static_cast<std::uint32_t>(std::min<std::size_t>(config_.slots.size(), 0xFF));
}

InfoBlock ReaderModel::InfoAnswer() const {
    return BuildInfoBlock(config_, state_.msInIsp);
}

std::array<std::uint8_t, InquiryAnswerSize> ReaderModel::InquiryAnswer() const {
    return BuildInquiry(
        {config_.inquiryVendor, config_.inquiryProduct, config_.inquiryRevision, true});
}

bool ReaderModel::ReadBlocks(std::uint32_t address, std::uint32_t count,
                             std::span<std::uint8_t> out) const {
    if (address != InfoBlockAddress || count != 1 || out.size() < BlockSize) return false;
    const InfoBlock block = InfoAnswer();
    std::copy_n(block.begin(), BlockSize, out.begin());
    return true;
}

bool ReaderModel::WriteBlocks(std::uint32_t address, std::uint32_t count,
                              std::span<const std::uint8_t> data) {
    if (address != InfoBlockAddress || count != 1 || data.size() < BlockSize) return false;
    state_.lastControlBlock.assign(data.begin(), data.begin() + BlockSize);
    ++state_.controlBlocks;
    if (std::equal(MsControlMagic.begin(), MsControlMagic.end(), data.begin())) {
        // The Memory Stick side jumps between its main firmware and its ISP code, and the
        // code that takes over reports itself ready.
        state_.msInIsp = !state_.msInIsp;
        state_.status = StatusInIsp;
    }
    return true;
}

void ReaderModel::JumpToIsp() {
    state_.inIsp = true;
    state_.status = StatusInIsp;
}

std::uint8_t ReaderModel::IspStatus() const {
    const auto forced = config_.faults.ispStatus.find(Calls(Command::GetIspStatus));
    if (forced != config_.faults.ispStatus.end()) return forced->second;
    return state_.status;
}

namespace {

// The device compares the bytes it receives with what its memory holds from the start.
bool Matches(const std::vector<std::uint8_t>& memory, std::span<const std::uint8_t> image) {
    return image.size() <= memory.size() && std::equal(image.begin(), image.end(), memory.begin());
}

}  // namespace

bool ReaderModel::WriteIspBlock(std::span<const std::uint8_t> image, IspWriteMode mode,
                                std::uint8_t romSelectCode) {
    if (!state_.inIsp && !state_.msInIsp) return false;
    state_.lastRomSelectCode = romSelectCode;
    if (mode == IspWriteMode::Program)
        ++state_.programWrites;
    else
        ++state_.verifyWrites;
    if (state_.msInIsp) {
        // The Memory Stick ISP code accepts a block with 0xA5 in both modes; a verify block
        // that differs from its memory is answered 0x33.
        if (mode == IspWriteMode::Program) {
            state_.msFirmware.assign(image.begin(), image.end());
            state_.msProgrammedLength = image.size();
            state_.status = StatusBlockWritten;
        } else {
            state_.status =
                Matches(state_.msFirmware, image) ? StatusBlockWritten : StatusVerifyFail;
        }
        return true;
    }
    if (mode == IspWriteMode::Program) {
        state_.firmware.assign(image.begin(), image.end());
        state_.programmedLength = image.size();
        state_.status = StatusBlockWritten;
    } else {
        state_.status = Matches(state_.firmware, image) ? StatusVerifyPass : StatusVerifyFail;
    }
    return true;
}

}  // namespace kestrix::sim
