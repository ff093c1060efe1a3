#include "trace/trace_writer.h"

#include <array>

namespace kestrix::trace {

namespace {
constexpr std::array<char, 16> Digits{'0', '1', '2', '3', '4', '5', '6', '7',
                                      '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
}  // namespace

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        if (!text.empty()) text.push_back(' ');
        text.push_back(Digits[byte >> 4]);
        text.push_back(Digits[byte & 0x0F]);
    }
    return text;
}

std::string HexNumber(std::uint32_t value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), Digits[value & 0x0F]);
        value >>= 4;
    } while (value != 0);
    return "0x" + digits;
}

void TraceWriter::Write(const Record& record) {
    // Invalid UTF-8 in a text (a path or key built from device bytes) is replaced rather than
    // thrown over.
    const std::string line = record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::lock_guard lock(mutex_);
    out_ << line << '\n';
    out_.flush();
}

}  // namespace kestrix::trace
