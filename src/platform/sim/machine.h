#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/address_space.h"
#include "platform/sim/reader_model.h"
#include "platform/sim/world.h"

// The simulated machine behind the platform calls: the world, the reader models and the
// record of refused requests. It takes no lock; its owner serialises access.
namespace kestrix::sim {

struct SlotRef {
    std::size_t reader = 0;
    std::size_t slot = 0;
};

class Machine {
  public:
    Machine(World world, platform::AddressSpace& memory);

    [[nodiscard]] const World& GetWorld() const { return world_; }
    [[nodiscard]] std::vector<ReaderModel>& Readers() { return readers_; }
    [[nodiscard]] const std::vector<ReaderModel>& Readers() const { return readers_; }
    [[nodiscard]] platform::AddressSpace& Memory() { return memory_; }

    // Windows 95/98/ME: the top bit of the version.
    [[nodiscard]] bool Is9x() const { return (world_.version & 0x80000000u) != 0; }
    [[nodiscard]] bool HasDriver(std::string_view upperCaseName) const;

    [[nodiscard]] std::optional<SlotRef> SlotOfLetter(char letter) const;
    [[nodiscard]] bool IsPlainDrive(char letter) const;
    [[nodiscard]] std::optional<SlotRef> SlotAtAspi(std::uint8_t adapter,
                                                    std::uint8_t target) const;
    [[nodiscard]] std::uint32_t LogicalDrives() const;

    // The number of devices the drivers report (a fault on the first reader may replace it).
    [[nodiscard]] std::uint32_t ReportedDeviceCount() const;

    // Records a request the machine refused because it was malformed or out of order.
    void Reject(std::string text);
    [[nodiscard]] const std::vector<std::string>& Rejections() const { return rejections_; }

  private:
    World world_;
    platform::AddressSpace& memory_;
    std::vector<ReaderModel> readers_;
    std::vector<std::string> rejections_;
};

}  // namespace kestrix::sim
