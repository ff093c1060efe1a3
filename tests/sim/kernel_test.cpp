#include <gtest/gtest.h>

#include <ctime>

#include "platform/sim/sim_host.h"
#include "sim/sim_test_support.h"

namespace kestrix::sim {
namespace {

using test::MustParse;

World TwoReaderWorld() {
    return MustParse(R"({"os": "win98", "drives": ["C", "D"],
        "drivers": ["QXDKPDRV", "HVBRDG"],
        "devices": [{"slots": ["E", "F"]}, {"slots": ["H"]}]})");
}

TEST(SimKernel, VersionAndLogicalDrivesComeFromTheWorld) {
    SimHost host(TwoReaderWorld());
    EXPECT_EQ(host.GetVersion(), 0x80000A04u);
    // C, D, E, F and H.
    EXPECT_EQ(host.GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << 4) | (1u << 5) | (1u << 7));
}

TEST(SimKernel, WhatOpens) {
    struct Case {
        const char* path;
        std::uint32_t disposition;
        bool opens;
    };
    const Case cases[] = {
        {"\\\\.\\E:", platform::OpenExisting, true},   // reader slot
        {"\\\\.\\f:", platform::OpenExisting, true},   // letters ignore case
        {"\\\\.\\C:", platform::OpenExisting, true},   // a drive that is not a reader
        {"\\\\.\\G:", platform::OpenExisting, false},  // no such drive
        {"\\\\.\\QXDKPDRV", platform::OpenExisting, true},
        {"\\\\.\\hvbrdg", platform::OpenExisting, true},
        {"\\\\.\\QX20DISK", platform::OpenExisting, false},  // not in this world
        {"\\\\.\\", platform::OpenExisting, false},          // a bare prefix
        {"E:", platform::OpenExisting, false},
        {"\\\\.\\E:", 2, false},  // CREATE_ALWAYS on a device
        {"", platform::OpenExisting, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SimHost host(TwoReaderWorld());
        const platform::Handle handle = host.CreateFileA(
            c.path, platform::GenericRead | platform::GenericWrite, 0, c.disposition, 0);
        EXPECT_EQ(handle != platform::InvalidHandleValue, c.opens);
        EXPECT_EQ(host.OpenHandleCount(), c.opens ? 1u : 0u);
    }
}

TEST(SimKernel, OpensAreRecordedWithTheirArguments) {
    SimHost host(MustParse(R"({"os": "win98", "drivers": ["QX20DISK"]})"));
    const platform::Handle handle =
        host.CreateFileA("\\\\.\\QX20DISK", platform::GenericRead | platform::GenericWrite, 0,
                         platform::OpenExisting, platform::FileFlagDeleteOnClose);
    ASSERT_NE(handle, platform::InvalidHandleValue);
    const auto opens = host.Opens();
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].path, "\\\\.\\QX20DISK");
    EXPECT_EQ(opens[0].flagsAndAttributes, platform::FileFlagDeleteOnClose);
    EXPECT_EQ(opens[0].result, handle);
}

TEST(SimKernel, HandlesCloseOnceAndThenServeNothing) {
    SimHost host(TwoReaderWorld());
    const platform::Handle a = test::OpenDrive(host, 'E');
    const platform::Handle b = test::OpenDrive(host, 'E');
    EXPECT_NE(a, b);
    EXPECT_EQ(host.OpenHandleCount(), 2u);
    EXPECT_TRUE(host.CloseHandle(a));
    EXPECT_FALSE(host.CloseHandle(a));
    EXPECT_TRUE(test::Rejected(host, "CloseHandle of handle"));
    test::PassThrough inquiry({0x12, 0, 0, 0, 0x24, 0}, 1, 36);
    EXPECT_FALSE(test::Send(host, a, inquiry));
    EXPECT_TRUE(test::Rejected(host, "which is not open"));
    EXPECT_EQ(host.OpenHandleCount(), 1u);
}

TEST(SimKernel, SleepIsRecordedAndReturnsAtOnceInSimulatedTime) {
    SimHost host(TwoReaderWorld());
    host.Sleep(100);
    host.Sleep(3000);
    host.Sleep(10);
    EXPECT_EQ(host.Sleeps(), (std::vector<std::uint32_t>{100, 3000, 10}));
}

TEST(SimClock, DateFromTheWorldOrToday) {
    SimHost dated(MustParse(R"({"date": "2009-12-31"})"));
    const platform::LocalDate date = dated.GetLocalDate();
    EXPECT_EQ(date.year, 2009);
    EXPECT_EQ(date.month, 12);
    EXPECT_EQ(date.day, 31);

    SimHost today(MustParse("{}"));
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const platform::LocalDate current = today.GetLocalDate();
    EXPECT_EQ(current.year, local.tm_year + 1900);
    EXPECT_EQ(current.month, local.tm_mon + 1);
}

}  // namespace
}  // namespace kestrix::sim
