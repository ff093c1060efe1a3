#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/device_context.h"
#include "image/device_config.h"

// One execute-SCSI request through ASPI: the zeroed 256-byte request block, its separately
// allocated data buffer (pinned in the host's address space while the request lives) and
// the completion routine that hands the outcome to the waiting thread through the flags of
// AspiState. Exactly one request is outstanding at a time; the flags belong to it.
namespace kestrix::device::aspi {

// The two identities an inquiry answer is checked against (vendor 8, product 16,
// revision 4 each; only the first 24 bytes take part).
struct InquiryIdentities {
    image::InquiryIdentity fa = image::BlankInquiryIdentity();
    image::InquiryIdentity fb = image::BlankInquiryIdentity();
};

// What the completion routine does with the finished request.
enum class Completion {
    MatchCheck,  // inquiry: compare with the identities, remember adapter and target
    CopyInfo,    // device information: copy the 528 bytes to the information block
    KeepStatus,  // ISP status: keep data byte 0
    StatusOnly,  // only the error flag
};

struct RequestSetup {
    std::uint8_t adapter = 0;
    std::uint8_t target = 0;
    std::uint8_t flags = 0;
    std::span<const std::uint8_t> cdb;     // 6 or 12 bytes
    std::uint32_t bufferLength = 0;        // the length the block announces
    std::size_t dataSize = 0;              // the data buffer allocated
    std::span<const std::uint8_t> output;  // copied to the start of the data buffer
    Completion completion = Completion::StatusOnly;
    InquiryIdentities identities;  // MatchCheck only
};

// True when the answer's bytes 8..31 equal the identity's first 24 bytes as text: the
// comparison stops early where both hold a zero byte at the same position.
[[nodiscard]] bool InquiryMatches(std::span<const std::uint8_t> inquiryData,
                                  const image::InquiryIdentity& identity);

// Sends one request. The caller has cleared the flags it reads afterwards. Returns false,
// without sending, when the data buffer cannot be allocated. A request that ASPI refuses at
// once (no pending status and no completion) is completed here with the status ASPI gave,
// so the done flag is always set in the end.
[[nodiscard]] bool SendRequest(DeviceContext& context, const RequestSetup& setup);

// Waits until the done flag is set, sleeping `intervalMs` between looks. No time limit: ASPI
// completes every request it accepted.
void WaitForCompletion(DeviceContext& context, std::uint32_t intervalMs);

}  // namespace kestrix::device::aspi
