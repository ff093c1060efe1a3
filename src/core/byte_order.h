#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Explicit little- and big-endian access to byte buffers. Wire formats are always
// read and written through these, never by casting structs over bytes.
namespace kestrix::core {

inline void PutLe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutLe32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void PutBe32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * (3 - i)));
}

[[nodiscard]] inline std::uint16_t GetLe16(std::span<const std::uint8_t> bytes,
                                           std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

[[nodiscard]] inline std::uint32_t GetLe32(std::span<const std::uint8_t> bytes,
                                           std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{bytes[offset + i]} << (8 * i);
    return value;
}

[[nodiscard]] inline std::uint32_t GetBe32(std::span<const std::uint8_t> bytes,
                                           std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | bytes[offset + i];
    return value;
}

}  // namespace kestrix::core
