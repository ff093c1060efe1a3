#include "platform/sim/machine.h"

#include <algorithm>

#include "platform/sim/world_defaults.h"

namespace kestrix::sim {

namespace {
// Enough to show what went wrong without growing without bound in a long run.
constexpr std::size_t MaxRejections = 1000;
}  // namespace

Machine::Machine(World world, platform::AddressSpace& memory)
    : world_(std::move(world)), memory_(memory) {
    FillWorldDefaults(world_);
    readers_.reserve(world_.devices.size());
    for (const Reader& reader : world_.devices) readers_.emplace_back(reader);
}

bool Machine::HasDriver(std::string_view upperCaseName) const {
    return world_.drivers.count(std::string(upperCaseName)) != 0;
}

std::optional<SlotRef> Machine::SlotOfLetter(char letter) const {
    for (std::size_t r = 0; r < readers_.size(); ++r) {
        const auto& slots = readers_[r].Config().slots;
        for (std::size_t s = 0; s < slots.size(); ++s) {
            if (slots[s] == letter) return SlotRef{r, s};
        }
    }
    return std::nullopt;
}

bool Machine::IsPlainDrive(char letter) const {
    return std::find(world_.drives.begin(), world_.drives.end(), letter) != world_.drives.end();
}

std::optional<SlotRef> Machine::SlotAtAspi(std::uint8_t adapter, std::uint8_t target) const {
    for (std::size_t r = 0; r < readers_.size(); ++r) {
        const auto& address = readers_[r].Config().aspi;
        if (!address || address->adapter != adapter) continue;
        for (std::size_t s = 0; s < address->targets.size() && s < readers_[r].SlotCount(); ++s) {
            if (address->targets[s] == target) return SlotRef{r, s};
        }
    }
    return std::nullopt;
}

std::uint32_t Machine::LogicalDrives() const {
    std::uint32_t mask = 0;
    const auto add = [&](char letter) {
        if (letter >= 'A' && letter <= 'Z') mask |= 1u << (letter - 'A');
    };
    for (const char letter : world_.drives) add(letter);
    for (const ReaderModel& reader : readers_) {
        for (const char letter : reader.Config().slots) add(letter);
    }
    return mask;
}

std::uint32_t Machine::ReportedDeviceCount() const {
    if (!readers_.empty() && readers_.front().Config().faults.deviceCount)
        return *readers_.front().Config().faults.deviceCount;
    return static_cast<std::uint32_t>(std::min<std::size_t>(readers_.size(), 0xFF));
}

void Machine::Reject(std::string text) {
    if (rejections_.size() < MaxRejections) rejections_.push_back(std::move(text));
}

}  // namespace kestrix::sim
