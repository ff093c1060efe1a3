#include "device/drive_letter_discovery.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

#include "device/device_table_ops.h"
#include "device/pass_through.h"
#include "device/self_driver.h"

namespace kestrix::device {

namespace {

constexpr unsigned FirstLetterBit = 2;  // C
constexpr unsigned LastLetterBit = 25;  // Z
constexpr std::size_t InquiryBufferSize = 528;
constexpr std::size_t InquiryIdentityOffset = 8;
constexpr std::size_t VendorProductLength = 24;
constexpr std::size_t FullIdentityLength = 28;
constexpr std::string_view SelfDriverIdentity = "        USB Reader      01.A";
static_assert(SelfDriverIdentity.size() == FullIdentityLength);

using InquiryBuffer = std::array<std::uint8_t, InquiryBufferSize>;

bool SameBytes(const InquiryBuffer& inquiry, std::span<const std::uint8_t> expected) {
    return std::equal(expected.begin(), expected.end(), inquiry.begin() + InquiryIdentityOffset);
}

bool MatchesConfiguredIdentity(const DeviceContext& context, const InquiryBuffer& inquiry) {
    const auto fa = std::span(context.config.inquiryIdentityFa).first(VendorProductLength);
    const auto fb = std::span(context.config.inquiryIdentityFb).first(VendorProductLength);
    return SameBytes(inquiry, fa) || SameBytes(inquiry, fb);
}

bool MatchesSelfDriverIdentity(const DeviceContext&, const InquiryBuffer& inquiry) {
    return std::equal(SelfDriverIdentity.begin(), SelfDriverIdentity.end(),
                      inquiry.begin() + InquiryIdentityOffset,
                      [](char expected, std::uint8_t byte) {
                          return static_cast<std::uint8_t>(expected) == byte;
                      });
}

bool ReadWithDeviceInfo(DeviceContext& context) {
    return pass_through::ReadDeviceInfo(context, context.state.infoBlock);
}

bool ReadWithBlockReads(DeviceContext& context) {
    auto& block = context.state.infoBlock;
    return self_driver::ReadBlocksAlt(context, block, InfoBlockAddress, 1) ||
           self_driver::ReadBlocks(context, block, InfoBlockAddress, 1);
}

template <typename Matches, typename Read>
std::uint8_t DiscoverDrives(DeviceContext& context, Matches matches, Read read) {
    const std::uint32_t present = context.host.kernel.GetLogicalDrives();
    for (unsigned bit = FirstLetterBit; bit <= LastLetterBit; ++bit) {
        if ((present & (1u << bit)) == 0) continue;
        const auto letter = static_cast<std::uint8_t>('A' + bit);
        if (!pass_through::OpenDrive(context, letter)) continue;
        InquiryBuffer inquiry{};
        if (pass_through::Inquiry(context, inquiry) && matches(context, inquiry) && read(context)) {
            // A drive that finds no place (table full, or a sixth slot) is left out.
            (void)PlaceDevice(context, letter);
        }
        pass_through::CloseDrive(context);
    }
    return context.state.table.deviceCount == 0 ? 1 : 0;
}

}  // namespace

std::uint8_t DiscoverPassThroughDrives(DeviceContext& context) {
    return DiscoverDrives(context, MatchesConfiguredIdentity, ReadWithDeviceInfo);
}

std::uint8_t DiscoverSelfDriverDrives(DeviceContext& context) {
    return DiscoverDrives(context, MatchesSelfDriverIdentity, ReadWithBlockReads);
}

}  // namespace kestrix::device
