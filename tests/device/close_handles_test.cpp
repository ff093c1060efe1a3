#include <gtest/gtest.h>

#include "device/close_handles.h"
#include "fake_platform.h"

namespace kestrix::device_test {
namespace {

struct CloseCase {
    const char* name;
    core::OsKind os;
    std::int32_t selfDriverSel;
    std::vector<platform::Handle> closed;
};

class CloseDeviceHandles : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseDeviceHandles, ReleasesTheHandleOfTheSystem) {
    Bench bench;
    bench.app.osKind = GetParam().os;
    bench.app.selfDriverSel = GetParam().selfDriverSel;
    bench.state->driveHandle = 0x11;
    bench.state->portDriverHandle = 0x22;
    bench.state->selfDriverHandle = 0x33;

    device::CloseDeviceHandles(bench.context);

    EXPECT_EQ(bench.kernel.closed, GetParam().closed);
    const auto& closed = GetParam().closed;
    const auto wasClosed = [&](platform::Handle h) {
        return std::find(closed.begin(), closed.end(), h) != closed.end();
    };
    EXPECT_EQ(bench.state->driveHandle, wasClosed(0x11) ? 0u : 0x11u);
    EXPECT_EQ(bench.state->portDriverHandle, wasClosed(0x22) ? 0u : 0x22u);
    EXPECT_EQ(bench.state->selfDriverHandle, 0x33u);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, CloseDeviceHandles,
    ::testing::Values(CloseCase{"Win98", core::OsKind::Win98, 0, {0x22}},
                      CloseCase{"WinMeSelfDriverSel", core::OsKind::WinMe, 1, {0x22}},
                      CloseCase{"WinMeAspi", core::OsKind::WinMe, 0, {}},
                      CloseCase{"Win2K", core::OsKind::Win2K, 0, {0x11}},
                      CloseCase{"Win2KSelfDriverSel", core::OsKind::Win2K, 1, {0x11}},
                      CloseCase{"WinXP", core::OsKind::WinXP, 1, {0x11}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CloseDeviceHandlesTwice, ClosesNothingTheSecondTime) {
    Bench bench;
    bench.app.osKind = core::OsKind::Win98;
    bench.state->portDriverHandle = 0x22;
    device::CloseDeviceHandles(bench.context);
    device::CloseDeviceHandles(bench.context);
    EXPECT_EQ(bench.kernel.closed.size(), 1u);
}

}  // namespace
}  // namespace kestrix::device_test
