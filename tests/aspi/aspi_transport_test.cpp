#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <vector>

#include "core/byte_order.h"
#include "device/aspi_transport.h"
#include "fake_aspi_host.h"
#include "platform/aspi_layout.h"

namespace kestrix::aspi_test {
namespace {

namespace aspi = device::aspi;
namespace layout = platform::aspi;

using Bytes = std::vector<std::uint8_t>;

TEST(LoadAspiTest, ResultsAndWhatStaysLoaded) {
    struct Case {
        const char* name;
        bool present;
        bool supportEntry;
        bool sendEntry;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {"library missing", false, true, true, aspi::LoadLibraryMissing},
        {"support entry missing", true, false, true, aspi::LoadEntryMissing},
        {"send entry missing", true, true, false, aspi::LoadEntryMissing},
        {"both entries", true, true, true, aspi::LoadSucceeded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AspiWorld world;
        world.aspi.libraryPresent = c.present;
        world.aspi.exportsSupportInfo = c.supportEntry;
        world.aspi.exportsSendCommand = c.sendEntry;
        EXPECT_EQ(aspi::LoadAspi(world.context), c.expected);
        const device::AspiState& state = world.state->aspi;
        const bool loaded = c.expected == aspi::LoadSucceeded;
        EXPECT_EQ(world.aspi.LoadedReferences(), loaded ? 1 : 0);
        EXPECT_EQ(state.library != 0, loaded);
        EXPECT_EQ(state.getSupportInfoEntry != 0, loaded);
        EXPECT_EQ(state.sendCommandEntry != 0, loaded);
    }
}

TEST(LoadAspiTest, ResolvedEntriesAreKeptUntilCleared) {
    AspiWorld world;
    ASSERT_EQ(aspi::LoadAspi(world.context), aspi::LoadSucceeded);
    EXPECT_EQ(aspi::LoadAspi(world.context), aspi::LoadSucceeded);
    EXPECT_EQ(world.aspi.loadCalls, 1);

    // Clearing the entries loads afresh without leaving the earlier reference behind.
    aspi::ClearAspiEntries(world.state->aspi);
    EXPECT_EQ(aspi::LoadAspi(world.context), aspi::LoadSucceeded);
    EXPECT_EQ(world.aspi.loadCalls, 2);
    EXPECT_EQ(world.aspi.LoadedReferences(), 1);

    aspi::UnloadAspi(world.context);
    EXPECT_EQ(world.aspi.LoadedReferences(), 0);
    EXPECT_EQ(world.state->aspi.library, 0u);
    EXPECT_EQ(world.state->aspi.sendCommandEntry, 0u);
    EXPECT_EQ(aspi::GetSupportInfo(world.context), 0u);
}

TEST(GetSupportInfoTest, KeepsTheAnswerAndJudgesIt) {
    struct Case {
        std::uint32_t info;
        bool usable;
    };
    const Case cases[] = {{0x0102, true}, {0x0100, false}, {0x0401, false}, {0x0001, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.info);
        AspiWorld world;
        world.aspi.supportInfo = c.info;
        ASSERT_EQ(aspi::LoadAspi(world.context), aspi::LoadSucceeded);
        EXPECT_EQ(aspi::GetSupportInfo(world.context), c.info);
        EXPECT_EQ(world.state->aspi.supportInfo, c.info);
        EXPECT_EQ(aspi::SupportInfoUsable(c.info), c.usable);
    }
}

// Members are public: the case tables reach them through lambdas.
class AspiCommandTest : public ::testing::Test {
  public:
    void SetUp() override {
        world.aspi.supportInfo = 0x0102;
        world.aspi.targets[{Adapter, Target}] = TargetFor(reader);
        world.config.inquiryIdentityFb = IdentityFor(reader);
        world.config.romSelectCode = 0x5C;
        image.resize(65536);
        std::iota(image.begin(), image.end(), std::uint8_t{7});
        ASSERT_EQ(aspi::LoadAspi(world.context), aspi::LoadSucceeded);
    }

    [[nodiscard]] aspi::InquiryIdentities Identities() const {
        return {.fa = world.config.inquiryIdentityFa, .fb = world.config.inquiryIdentityFb};
    }

    static constexpr std::uint8_t Adapter = 1;
    static constexpr std::uint8_t Target = 3;
    AspiWorld world;
    ReaderIdentity reader;
    Bytes image;
};

TEST_F(AspiCommandTest, RequestBlocksPollingAndRelease) {
    struct Case {
        const char* name;
        std::function<bool(AspiCommandTest&)> send;
        std::uint8_t flags;
        std::uint8_t cdbLength;
        std::uint32_t bufferLength;
        std::size_t allocated;
        Bytes cdb;
        std::uint32_t pollMs;
    };
    const Case cases[] = {
        {"Inquiry",
         [](AspiCommandTest& t) {
             return aspi::Inquiry(t.world.context, Adapter, Target, t.Identities());
         },
         0x09, 6, 40, 40, Bytes{0x12, 0, 0, 0, 0x28, 0}, 10},
        {"ReadDeviceInfo",
         [](AspiCommandTest& t) { return aspi::ReadDeviceInfo(t.world.context, Adapter, Target); },
         0x09, 12, 528, 528, Bytes{0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}, 10},
        {"JumpToIsp",
         [](AspiCommandTest& t) { return aspi::JumpToIsp(t.world.context, Adapter, Target); }, 0x09,
         12, 0, 40, Bytes{0x06, 0xBF, 0, 0, 0x08, 0x08, 0, 0, 0, 0, 0, 0}, 100},
        {"GetIspStatus",
         [](AspiCommandTest& t) {
             std::uint8_t status = 0;
             return aspi::GetIspStatus(t.world.context, Adapter, Target, status);
         },
         0x09, 12, 28, 28, Bytes{0x06, 0xB0, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0}, 100},
        {"WriteIspBlock",
         [](AspiCommandTest& t) {
             return aspi::WriteIspBlock(t.world.context, Adapter, Target, t.image, 0x1234, 0x1400,
                                        device::IspWriteMode::Verify);
         },
         0x11, 12, 0x1400, 0x1400, Bytes{0x06, 0xB2, 0x01, 0x5C, 0x34, 0x12, 0x0A, 0, 0, 0, 0, 0},
         100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        world.kernel.sleeps.clear();
        world.aspi.completeAfterSleeps = 3;
        const std::size_t before = world.aspi.Sent().size();

        EXPECT_TRUE(c.send(*this));

        const auto sent = world.aspi.Sent();
        ASSERT_EQ(sent.size(), before + 1);
        const SentRequest& request = sent.back();
        const std::span<const std::uint8_t> block(request.block);
        EXPECT_EQ(block[layout::CommandOffset], layout::ExecuteScsiCommand);
        EXPECT_EQ(block[layout::AdapterOffset], Adapter);
        EXPECT_EQ(block[layout::TargetOffset], Target);
        EXPECT_EQ(block[layout::LunOffset], 0);
        EXPECT_EQ(block[layout::FlagsOffset], c.flags);
        EXPECT_EQ(block[layout::SenseLengthOffset], 14);
        EXPECT_EQ(block[layout::CdbLengthOffset], c.cdbLength);
        EXPECT_EQ(core::GetLe32(block, layout::BufferLengthOffset), c.bufferLength);
        Bytes cdb(c.cdb);
        cdb.resize(layout::CdbCapacity);
        EXPECT_EQ(Bytes(block.begin() + layout::CdbOffset,
                        block.begin() + layout::CdbOffset + layout::CdbCapacity),
                  cdb);
        EXPECT_EQ(request.allocated, c.allocated);
        EXPECT_TRUE(request.unpinnedAfterCompletion);
        // The block is zero wherever the command sets nothing.
        EXPECT_TRUE(std::all_of(block.begin() + layout::SenseAreaOffset, block.end(),
                                [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(world.kernel.sleeps, (std::vector<std::uint32_t>(3, c.pollMs)));
    }
}

TEST_F(AspiCommandTest, IspCommandsReportTheCompletionStatus) {
    struct Case {
        const char* name;
        std::function<bool(AspiCommandTest&)> send;
    };
    const Case cases[] = {
        {"JumpToIsp",
         [](AspiCommandTest& t) { return aspi::JumpToIsp(t.world.context, Adapter, Target); }},
        {"GetIspStatus",
         [](AspiCommandTest& t) {
             std::uint8_t status = 0;
             return aspi::GetIspStatus(t.world.context, Adapter, Target, status);
         }},
        {"WriteIspBlock",
         [](AspiCommandTest& t) {
             return aspi::WriteIspBlock(t.world.context, Adapter, Target, t.image, 512, 512,
                                        device::IspWriteMode::Program);
         }},
        {"ReadDeviceInfo",
         [](AspiCommandTest& t) { return aspi::ReadDeviceInfo(t.world.context, Adapter, Target); }},
    };
    for (const Case& c : cases) {
        for (const std::uint8_t status : {layout::StatusCompleted, layout::StatusError}) {
            SCOPED_TRACE(std::string(c.name) + " status " + std::to_string(status));
            FakeTarget& device = world.aspi.targets[{Adapter, Target}];
            device.ispCommandStatus = status;
            device.infoStatus = status;
            EXPECT_EQ(c.send(*this), status == layout::StatusCompleted);
        }
    }
}

TEST_F(AspiCommandTest, GetIspStatusKeepsTheByteEvenOnError) {
    FakeTarget& device = world.aspi.targets[{Adapter, Target}];
    device.ispStatus = device::StatusInIsp;
    device.ispCommandStatus = layout::StatusError;
    std::uint8_t status = 0;
    EXPECT_FALSE(aspi::GetIspStatus(world.context, Adapter, Target, status));
    EXPECT_EQ(status, device::StatusInIsp);
    EXPECT_EQ(world.state->aspi.ispStatus, device::StatusInIsp);

    device.ispCommandStatus = layout::StatusCompleted;
    device.ispStatus = device::StatusBlockWritten;
    EXPECT_TRUE(aspi::GetIspStatus(world.context, Adapter, Target, status));
    EXPECT_EQ(status, device::StatusBlockWritten);
}

TEST_F(AspiCommandTest, ReadDeviceInfoFillsTheInformationBlock) {
    EXPECT_TRUE(aspi::ReadDeviceInfo(world.context, Adapter, Target));
    EXPECT_EQ(world.state->infoBlock, InfoAnswer(reader));
}

TEST_F(AspiCommandTest, WriteIspBlockSendsTheImageStart) {
    ASSERT_TRUE(aspi::WriteIspBlock(world.context, Adapter, Target, image, 700, 1024,
                                    device::IspWriteMode::Program));
    const SentRequest request = world.aspi.Sent().back();
    EXPECT_EQ(request.dataOut, Bytes(image.begin(), image.begin() + 1024));
    EXPECT_EQ(request.block[layout::CdbOffset + 1], 0xB1);
    EXPECT_EQ(request.block[layout::CdbOffset + 2], 0);
}

TEST_F(AspiCommandTest, WriteIspBlockRefusesALengthBeyondTheImage) {
    const Bytes shortImage(1024, 0xAA);
    EXPECT_FALSE(aspi::WriteIspBlock(world.context, Adapter, Target, shortImage, 1500, 1536,
                                     device::IspWriteMode::Program));
    EXPECT_FALSE(aspi::WriteIspBlock(world.context, Adapter, Target, Bytes(70000), 65537, 66048,
                                     device::IspWriteMode::Program));
    EXPECT_TRUE(world.aspi.Sent().empty());
}

TEST_F(AspiCommandTest, ARequestRefusedAtOnceDoesNotWait) {
    // Adapter 5 does not exist: ASPI refuses the request without posting it.
    std::uint8_t status = 0;
    EXPECT_FALSE(aspi::JumpToIsp(world.context, 5, 0));
    EXPECT_FALSE(aspi::GetIspStatus(world.context, 5, 0, status));
    EXPECT_FALSE(aspi::Inquiry(world.context, 5, 0, Identities()));
    EXPECT_TRUE(world.kernel.sleeps.empty());
}

TEST_F(AspiCommandTest, RequestsWithoutTheLibraryFail) {
    aspi::UnloadAspi(world.context);
    EXPECT_FALSE(aspi::JumpToIsp(world.context, Adapter, Target));
    EXPECT_FALSE(aspi::ReadDeviceInfo(world.context, Adapter, Target));
    EXPECT_TRUE(world.aspi.Sent().empty());
}

TEST_F(AspiCommandTest, InquiryMatchRule) {
    struct Case {
        const char* name;
        std::function<void(AspiCommandTest&)> setUp;
        bool matches;
    };
    auto product = [](std::string text) {
        return [text](AspiCommandTest& t) {
            ReaderIdentity other = t.reader;
            other.product = text;
            t.world.aspi.targets[{Adapter, Target}].inquiry = InquiryAnswer(other);
        };
    };
    const Case cases[] = {
        {"equal to Fb only", [](AspiCommandTest&) {}, true},
        {"equal to Fa only",
         [](AspiCommandTest& t) {
             std::swap(t.world.config.inquiryIdentityFa, t.world.config.inquiryIdentityFb);
         },
         true},
        {"another product", product("Other Reader"), false},
        {"revision is not compared",
         [](AspiCommandTest& t) {
             ReaderIdentity other = t.reader;
             other.revision = "9.99";
             t.world.aspi.targets[{Adapter, Target}].inquiry = InquiryAnswer(other);
         },
         true},
        {"a zero byte in both ends the comparison",
         [](AspiCommandTest& t) {
             auto& inquiry = t.world.aspi.targets[{Adapter, Target}].inquiry;
             auto& identity = t.world.config.inquiryIdentityFb;
             inquiry[8 + 12] = 0;
             identity[12] = 0;
             inquiry[8 + 20] = 'x';
             identity[20] = 'y';
         },
         true},
        {"a zero byte in the answer only",
         [](AspiCommandTest& t) {
             t.world.aspi.targets[{Adapter, Target}].inquiry[8 + 12] = 0;
         },
         false},
        {"equal text but completed with an error",
         [](AspiCommandTest& t) {
             t.world.aspi.targets[{Adapter, Target}].inquiryStatus = layout::StatusError;
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto savedTarget = world.aspi.targets[{Adapter, Target}];
        const auto savedConfig = world.config;
        c.setUp(*this);
        EXPECT_EQ(aspi::Inquiry(world.context, Adapter, Target, Identities()), c.matches);
        if (c.matches) {
            EXPECT_EQ(world.state->aspi.matchAdapter, Adapter);
            EXPECT_EQ(world.state->aspi.matchTarget, Target);
        }
        world.aspi.targets[{Adapter, Target}] = savedTarget;
        world.config = savedConfig;
    }
}

TEST_F(AspiCommandTest, AMatchDoesNotCarryOverToTheNextInquiry) {
    ASSERT_TRUE(aspi::Inquiry(world.context, Adapter, Target, Identities()));
    EXPECT_FALSE(aspi::Inquiry(world.context, Adapter, Target + 1, Identities()));
}

}  // namespace
}  // namespace kestrix::aspi_test

namespace kestrix::aspi_test {
namespace {

// Here the worker completes each request whenever it gets to it, so the results reach the
// waiting thread only through the done flag's release and acquire.
TEST_F(AspiCommandTest, ResultsCompletedOnAnotherThreadArePublished) {
    world.aspi.freeRunning = true;
    FakeTarget& device = world.aspi.targets[{Adapter, Target}];
    for (std::uint8_t round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        device.ispStatus = static_cast<std::uint8_t>(0x90 + round);
        device.info[0x100] = round;
        device.ispCommandStatus = round % 2 == 0 ? layout::StatusCompleted : layout::StatusError;

        EXPECT_TRUE(aspi::Inquiry(world.context, Adapter, Target, Identities()));
        EXPECT_EQ(world.state->aspi.matchTarget, Target);
        EXPECT_TRUE(aspi::ReadDeviceInfo(world.context, Adapter, Target));
        EXPECT_EQ(world.state->infoBlock[0x100], round);
        std::uint8_t status = 0;
        EXPECT_EQ(aspi::GetIspStatus(world.context, Adapter, Target, status), round % 2 == 0);
        EXPECT_EQ(status, 0x90 + round);
        EXPECT_EQ(aspi::JumpToIsp(world.context, Adapter, Target), round % 2 == 0);
        EXPECT_EQ(aspi::WriteIspBlock(world.context, Adapter, Target, image, 512, 512,
                                      device::IspWriteMode::Verify),
                  round % 2 == 0);
    }
}

}  // namespace
}  // namespace kestrix::aspi_test
