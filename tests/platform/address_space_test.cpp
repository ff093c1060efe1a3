#include "platform/address_space.h"

#include <gtest/gtest.h>

#include <array>

namespace kestrix::platform {
namespace {

TEST(AddressSpace, ResolvesPinnedBuffersAndOffsetsInsideThem) {
    AddressSpace space;
    std::array<std::uint8_t, 28> answer{};
    std::array<std::uint8_t, 512> blocks{};
    PinnedBuffer first(space, answer);
    PinnedBuffer second(space, blocks);

    ASSERT_NE(first.Token(), 0u);
    EXPECT_EQ(space.Resolve(first.Token(), 28).data(), answer.data());
    EXPECT_EQ(space.Resolve(second.Token() + 100, 412).data(), blocks.data() + 100);
    // Past the end of a buffer, or from nowhere, nothing resolves.
    EXPECT_TRUE(space.Resolve(first.Token(), 29).empty());
    EXPECT_TRUE(space.Resolve(second.Token() + 1, 512).empty());
    EXPECT_TRUE(space.Resolve(0, 1).empty());
}

TEST(AddressSpace, UnpinnedTokensNoLongerResolve) {
    AddressSpace space;
    std::array<std::uint8_t, 8> buffer{};
    std::uint32_t token = 0;
    {
        PinnedBuffer pinned(space, buffer);
        token = pinned.Token();
    }
    EXPECT_TRUE(space.Resolve(token, 1).empty());
}

TEST(AddressSpace, TokensNeverOverlapOverManyPins) {
    AddressSpace space;
    std::array<std::uint8_t, 65536> big{};
    std::array<std::uint8_t, 1> small{};
    PinnedBuffer kept(space, big);
    for (int i = 0; i < 200000; ++i) {
        PinnedBuffer transient(space, small);
        ASSERT_EQ(space.Resolve(transient.Token(), 1).data(), small.data());
    }
    EXPECT_EQ(space.Resolve(kept.Token() + 65535, 1).data(), big.data() + 65535);
}

}  // namespace
}  // namespace kestrix::platform
