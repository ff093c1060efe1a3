#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "trace/trace_writer.h"

// Reading the requests that travel through the seam back into named fields for the trace.
// Each returns nothing when the code is not one this tool sends or the request is too short
// to hold its fields.
namespace kestrix::trace {

// The request of a DeviceIoControl call: the pass-through header with its command block, the
// 16-byte and 40-byte port-driver requests, the self driver's ISP requests.
[[nodiscard]] std::optional<Record> DecodeIoControlRequest(std::uint32_t code,
                                                           std::span<const std::uint8_t> input);

// What came back in the pass-through header (its SCSI status).
[[nodiscard]] std::optional<Record> DecodeIoControlAnswer(std::uint32_t code,
                                                          std::span<const std::uint8_t> output);

// An ASPI execute-SCSI request block.
[[nodiscard]] std::optional<Record> DecodeAspiRequest(std::span<const std::uint8_t> block);

}  // namespace kestrix::trace
