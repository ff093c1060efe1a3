#pragma once

#include <string>
#include <string_view>

namespace kestrix::cli {

// The tool's texts are single-byte (ANSI) strings and may hold any byte a device sent. JSON
// wants UTF-8, so each byte is taken as the Latin-1 character of the same value: exact and
// reversible, whatever the bytes are.
[[nodiscard]] std::string AnsiToUtf8(std::string_view text);

}  // namespace kestrix::cli
