#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_table.h"
#include "fake_platform.h"

// Card readers behind the fake kernel: they answer the pass-through requests on their drive
// letters and the requests of both port-driver dialects, from an identity a test sets up.
namespace kestrix::device_test {

struct FakeReader {
    std::array<std::uint8_t, 36> inquiry{};
    device::DeviceInfoBlock info{};
    std::array<std::uint8_t, 8> revision{};
    std::uint8_t slots = 1;
    // Commands (catalogue names) whose requests fail.
    std::set<std::string> failing;
};

// A reader with this serial number and inquiry identity (vendor 8, product 16, revision 4
// characters, padded with blanks), VID 0x1234 / PID 0x5678 and hardware code 20 35 01.
[[nodiscard]] FakeReader MakeReader(std::string_view serial, std::string_view vendor = "KESTRIX",
                                    std::string_view product = "CARD READER",
                                    std::string_view revision = "1.00");

// `text` padded with blanks to `width` bytes.
template <std::size_t Width>
[[nodiscard]] std::array<std::uint8_t, Width> Padded(std::string_view text) {
    std::array<std::uint8_t, Width> bytes;
    bytes.fill(' ');
    for (std::size_t i = 0; i < text.size() && i < Width; ++i)
        bytes[i] = static_cast<std::uint8_t>(text[i]);
    return bytes;
}

class FakeMachine {
  public:
    static constexpr platform::Handle PortDriverHandle = 0x2000;
    static constexpr platform::Handle SelfDriverHandle = 0x3000;

    explicit FakeMachine(Bench& bench);

    std::vector<FakeReader> readers;
    // What the port drivers report as device count; the number of readers when empty.
    std::optional<std::uint8_t> reportedDeviceCount;

    // Drive `letter` shows a slot of reader `reader`.
    void AddDrive(char letter, std::size_t reader);
    // Drive `letter` is some other disk answering INQUIRY with this vendor and product.
    void AddOtherDrive(char letter, std::string_view vendor, std::string_view product);
    // A drive letter that is present but cannot be opened.
    void AddUnopenableDrive(char letter);
    // A driver device that opens ("\\.\NAME").
    void AddDriver(std::string_view name, platform::Handle handle);

    // Commands received by the readers, "Name@device" for the port drivers, "Name@letter" on
    // drive letters.
    std::vector<std::string> received;

    [[nodiscard]] static platform::Handle DriveHandle(char letter) {
        return 0x1000u + static_cast<unsigned char>(letter);
    }

  private:
    bool OnIo(const IoCall& call, std::span<std::uint8_t> output);
    bool OnDrive(char letter, const IoCall& call, std::span<std::uint8_t> output);
    bool OnPortDriver(const IoCall& call, std::span<std::uint8_t> output);
    FakeReader* ReaderAt(std::uint32_t device);
    bool Fails(const FakeReader& reader, const std::string& command) const;

    Bench& bench_;
    std::map<char, std::size_t> drives_;
    std::map<char, std::array<std::uint8_t, 36>> otherDrives_;
};

}  // namespace kestrix::device_test
