#include "image/device_txt_reader.h"

#include <algorithm>
#include <optional>

namespace kestrix::image {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// White space as the C library's default locale knows it.
[[nodiscard]] bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

struct TokenSpan {
    std::size_t begin;
    std::size_t end;
};

// The next token at or after pos, if any.
[[nodiscard]] std::optional<TokenSpan> NextToken(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos >= text.size()) return std::nullopt;
    std::size_t end = pos;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    return TokenSpan{pos, end};
}

// The character at pos of a file read as text: CR LF reads as one line feed.
[[nodiscard]] bool ReadTextChar(std::string_view text, std::size_t& pos, char& c) {
    if (pos >= text.size()) return false;
    c = text[pos++];
    if (c == '\r' && pos < text.size() && text[pos] == '\n') c = text[pos++];
    return true;
}

// A value token without a closing quote goes on character by character from pos, blanks and
// line ends included, up to the next double quote and exactly one more character, which must be
// ';'. Returns false when that fails, the text ends first or the token grows too long.
[[nodiscard]] bool ExtendValueToken(std::string_view text, std::size_t pos, std::string& token) {
    char c = 0;
    do {
        if (!ReadTextChar(text, pos, c)) return false;
        token.push_back(c);
        if (token.size() > MaxValueTokenLength) return false;
    } while (c != '"');
    if (!ReadTextChar(text, pos, c)) return false;
    token.push_back(c);
    return c == ';' && token.size() <= MaxValueTokenLength;
}

// Checks the complete value token and extracts the value: the text between the opening quote
// and the double quote that directly precedes the last semicolon, with no double quote after
// that semicolon.
[[nodiscard]] KeyLookup ValueFromToken(std::string token, std::size_t maxLength) {
    const std::size_t semicolon = token.rfind(';');
    if (semicolon == npos || semicolon < 2) return {};
    if (token[semicolon - 1] != '"') return {};
    if (token.find('"', semicolon + 1) != npos) return {};
    const std::size_t length = semicolon - 2;
    if (length == 0 || length > maxLength) return {};
    KeyLookup result;
    result.found = true;
    result.value = token.substr(1, length);
    result.token = std::move(token);
    return result;
}

}  // namespace

DeviceTxtIndex::DeviceTxtIndex(std::string_view text, std::span<const std::string_view> keys)
    : text_(text) {
    std::size_t longestKey = 0;
    for (std::string_view key : keys) {
        firstTokens_.push_back({key, npos});
        longestKey = std::max(longestKey, key.size());
    }
    std::size_t missing = firstTokens_.size();
    std::size_t pos = 0;
    while (missing > 0) {
        const std::optional<TokenSpan> span = NextToken(text_, pos);
        if (!span) break;
        pos = span->end;
        const std::size_t length = span->end - span->begin;
        if (length > longestKey) continue;
        const std::string_view token = text_.substr(span->begin, length);
        for (FirstToken& first : firstTokens_) {
            if (first.end == npos && first.key == token) {
                first.end = span->end;
                --missing;
            }
        }
    }
}

std::size_t DeviceTxtIndex::FirstTokenEnd(std::string_view key) const {
    for (const FirstToken& first : firstTokens_) {
        if (first.key == key) return first.end;
    }
    std::size_t pos = 0;
    while (const std::optional<TokenSpan> span = NextToken(text_, pos)) {
        if (text_.substr(span->begin, span->end - span->begin) == key) return span->end;
        pos = span->end;
    }
    return npos;
}

KeyLookup DeviceTxtIndex::Lookup(std::string_view key, std::size_t maxLength) const {
    const std::size_t keyEnd = FirstTokenEnd(key);
    if (keyEnd == npos) return {};
    const std::optional<TokenSpan> equals = NextToken(text_, keyEnd);
    if (!equals || text_.substr(equals->begin, equals->end - equals->begin) != "=") return {};
    const std::optional<TokenSpan> value = NextToken(text_, equals->end);
    if (!value) return {};
    const std::size_t length = value->end - value->begin;
    if (length > MaxValueTokenLength || text_[value->begin] != '"') return {};
    std::string token(text_.substr(value->begin, length));
    if (token.find('"', 1) == npos && !ExtendValueToken(text_, value->end, token)) return {};
    return ValueFromToken(std::move(token), maxLength);
}

}  // namespace kestrix::image
