#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Key lookup in the text of DEVICE.TXT.
//
// The file is a sequence of tokens separated by white space. A key entry is the key name as a
// whole token, a token "=" and a value token that starts with a double quote. A value with
// blanks is read on character by character up to the next double quote plus exactly one more
// character, which must be ';'. Only the first token equal to a key counts: if that entry is
// malformed the key is absent even when a correct entry follows.
//
// The text is tokenized once; every lookup then behaves as if the file were scanned from its
// start for that key alone.
namespace kestrix::image {

// Longest value token accepted, opening quote to last character; a longer token makes its key
// absent. Every key's maximum value length is far below this.
inline constexpr std::size_t MaxValueTokenLength = 511;

struct KeyLookup {
    bool found = false;
    std::string value;  // text between the opening quote and the closing quote, never empty
    std::string token;  // the whole value token as read, opening quote included
};

class DeviceTxtIndex {
  public:
    // Records, in one pass over text, where the first token equal to each of keys ends. The
    // text must outlive the index.
    DeviceTxtIndex(std::string_view text, std::span<const std::string_view> keys);

    // Finds the entry of key; a value of more than maxLength characters counts as absent.
    // Keys not given to the constructor are found by a scan of their own.
    [[nodiscard]] KeyLookup Lookup(std::string_view key, std::size_t maxLength) const;

  private:
    struct FirstToken {
        std::string_view key;
        std::size_t end;  // offset just past the first token equal to key; npos if none
    };

    [[nodiscard]] std::size_t FirstTokenEnd(std::string_view key) const;

    std::string_view text_;
    std::vector<FirstToken> firstTokens_;
};

}  // namespace kestrix::image
