#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_order.h"
#include "platform/pass_through_layout.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/world.h"

// Builders for the requests the logic sends, laid out byte for byte, and a world to send
// them to.
namespace kestrix::sim::test {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint32_t InfoAddress = 0x04A55A30u;

// A world that parses, or the test fails with the parser's message.
World MustParse(const std::string& json);

// A reader with the identity the tests expect, on the given letters.
Reader TestReader(std::vector<char> slots, std::string serial = "SN0000000001");

// The logic's pass-through buffer: header, sense area at 48, data area at 80.
struct PassThrough {
    Bytes buffer;
    std::size_t inputLength = 44;
    std::size_t outputLength = 44;

    PassThrough(const Bytes& cdb, std::uint8_t dataIn, std::uint32_t transferLength,
                std::size_t bufferSize = 65616);

    std::uint8_t ScsiStatus() const { return buffer[platform::pass_through::ScsiStatusOffset]; }
    const std::uint8_t* Data() const { return buffer.data() + 80; }
};

// Sends `request` on `handle`; the same buffer carries request and answer.
bool Send(SimHost& host, platform::Handle handle, PassThrough& request);

platform::Handle OpenDrive(SimHost& host, char letter);
platform::Handle OpenDevice(SimHost& host, const std::string& name);

// A 16-byte function-coded port driver request.
std::array<std::uint8_t, 16> ShortRequest(std::uint32_t function, std::uint32_t parameter,
                                          std::uint32_t word, std::uint32_t address);
// A 40-byte dialect B request that carries a CDB.
std::array<std::uint8_t, 40> CdbRequest(std::uint32_t device, std::uint32_t target,
                                        const Bytes& cdb, std::uint32_t direction,
                                        std::uint32_t length, std::uint32_t address);

// The self driver's 65,552-byte request.
Bytes SelfDriverRequest(std::uint32_t code, std::uint32_t length, std::uint32_t mode,
                        std::uint32_t answerAddress, const Bytes& data = {});

// The WriteIspBlock CDB for an image of `length` bytes.
Bytes WriteIspCdb(std::uint32_t length, std::uint8_t mode, std::uint8_t romSelect = 0);

// An image of `length` bytes with a pattern that depends on `seed`.
Bytes Image(std::size_t length, std::uint8_t seed = 1);

// Whether a rejection mentioning `text` was recorded.
bool Rejected(const SimHost& host, const std::string& text);

}  // namespace kestrix::sim::test
