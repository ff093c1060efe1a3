#pragma once

#include <cstdint>
#include <mutex>
#include <nlohmann/json.hpp>
#include <ostream>
#include <span>
#include <string>

// Writing the seam trace: one JSON object per line, its "call" field first. Codes, masks,
// handles, module and entry addresses and buffer addresses appear as "0x..." text; byte
// strings as lower-case hex pairs separated by single blanks ("06 b2 01 5c"); counts,
// lengths, identifiers and status codes as numbers; success flags as booleans.
namespace kestrix::trace {

using Record = nlohmann::ordered_json;

[[nodiscard]] std::string HexBytes(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::string HexNumber(std::uint32_t value);

// Writes records to a stream as JSON lines. Thread-safe: lines from different threads never
// mix.
class TraceWriter {
  public:
    explicit TraceWriter(std::ostream& out) : out_(out) {}
    void Write(const Record& record);

  private:
    std::mutex mutex_;
    std::ostream& out_;
};

}  // namespace kestrix::trace
