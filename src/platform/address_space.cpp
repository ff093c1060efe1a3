#include "platform/address_space.h"

namespace kestrix::platform {

namespace {
constexpr std::uint32_t TokenAlignment = 0x1000u;

std::uint32_t RoundUp(std::size_t size) {
    const std::size_t rounded = (size / TokenAlignment + 1) * TokenAlignment;
    return static_cast<std::uint32_t>(rounded);
}
}  // namespace

std::uint32_t AddressSpace::Pin(std::span<std::uint8_t> buffer) {
    std::lock_guard lock(mutex_);
    // Tokens are handed out in rising order with a gap after each buffer, so that a token
    // plus an offset inside the buffer never reaches the next one. After the last token the
    // numbering starts over, skipping ranges still in use.
    for (;;) {
        const std::uint32_t span = RoundUp(buffer.size());
        if (next_ > LastToken - span) next_ = FirstToken;
        const std::uint32_t token = next_;
        next_ += span;
        const auto after = pinned_.lower_bound(token);
        const bool overlapsNext = after != pinned_.end() && after->first < token + span;
        bool overlapsPrevious = false;
        if (after != pinned_.begin()) {
            const auto before = std::prev(after);
            overlapsPrevious = before->first + RoundUp(before->second.size()) > token;
        }
        if (!overlapsNext && !overlapsPrevious) {
            pinned_.emplace(token, buffer);
            return token;
        }
    }
}

void AddressSpace::Unpin(std::uint32_t token) {
    std::lock_guard lock(mutex_);
    pinned_.erase(token);
}

std::span<std::uint8_t> AddressSpace::Resolve(std::uint32_t address, std::size_t length) const {
    std::lock_guard lock(mutex_);
    auto it = pinned_.upper_bound(address);
    if (it == pinned_.begin()) return {};
    --it;
    const std::size_t offset = address - it->first;
    if (offset > it->second.size() || length > it->second.size() - offset) return {};
    return it->second.subspan(offset, length);
}

}  // namespace kestrix::platform
