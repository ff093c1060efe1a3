#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <span>

namespace kestrix::platform {

// Requests to drivers and ASPI carry 32-bit buffer addresses. On a 64-bit build a real
// pointer does not fit, so the caller pins a buffer here and puts the returned 32-bit token
// in the request; the driver side resolves the token back to the memory. A token plus an
// offset inside the pinned buffer resolves too. Thread-safe: ASPI completion resolves
// tokens on its own thread.
class AddressSpace {
  public:
    [[nodiscard]] std::uint32_t Pin(std::span<std::uint8_t> buffer);
    void Unpin(std::uint32_t token);

    // The `length` bytes at `address`; empty when they do not lie inside one pinned buffer.
    [[nodiscard]] std::span<std::uint8_t> Resolve(std::uint32_t address, std::size_t length) const;

  private:
    mutable std::mutex mutex_;
    std::map<std::uint32_t, std::span<std::uint8_t>> pinned_;
    std::uint32_t next_ = FirstToken;
    static constexpr std::uint32_t FirstToken = 0x00010000u;
    static constexpr std::uint32_t LastToken = 0xF0000000u;
};

// Pins a buffer for the lifetime of this object.
class PinnedBuffer {
  public:
    PinnedBuffer(AddressSpace& space, std::span<std::uint8_t> buffer)
        : space_(space), token_(space.Pin(buffer)) {}
    ~PinnedBuffer() { space_.Unpin(token_); }
    PinnedBuffer(const PinnedBuffer&) = delete;
    PinnedBuffer& operator=(const PinnedBuffer&) = delete;

    [[nodiscard]] std::uint32_t Token() const { return token_; }

  private:
    AddressSpace& space_;
    std::uint32_t token_;
};

}  // namespace kestrix::platform
