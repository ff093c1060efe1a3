#pragma once

#include <cstdint>

#include "device/device_context.h"
#include "device/vendor_commands.h"

// Sends one SCSI pass-through request on the open drive handle through the shared
// pass-through buffer: header at offset 0, sense area at 48, data area at 80.
namespace kestrix::device::pass_through {

inline constexpr std::size_t SenseAreaOffset = 48;
inline constexpr std::size_t SenseAreaSize = 24;
inline constexpr std::size_t DataAreaOffset = 80;
inline constexpr std::size_t DataAreaSize = 65536;
inline constexpr std::uint8_t TargetId = 1;
inline constexpr std::uint32_t ShortTimeoutSeconds = 2;
inline constexpr std::uint32_t LongTimeoutSeconds = 30;

struct Request {
    Cdb cdb{};
    bool dataIn = true;
    std::uint32_t transferLength = 0;
    std::uint32_t timeoutSeconds = ShortTimeoutSeconds;
    std::uint32_t inputLength = 0;
    std::uint32_t outputLength = 0;
    // Clear the whole buffer first. Off only for a write whose data the caller has staged.
    bool clearBuffer = true;
};

struct Outcome {
    bool callSucceeded = false;
    std::uint8_t scsiStatus = 0;

    // The device completed the command (SCSI status GOOD).
    [[nodiscard]] bool Good() const { return callSucceeded && scsiStatus == 0; }
};

// Fills the header and the command block, sends the request and reads the SCSI status
// back. Lengths beyond the buffer are refused without sending.
[[nodiscard]] Outcome Send(DeviceContext& context, const Request& request);

}  // namespace kestrix::device::pass_through
