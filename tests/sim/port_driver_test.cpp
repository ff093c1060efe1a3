#include <gtest/gtest.h>

#include <cstring>

#include "platform/address_space.h"
#include "platform/sim/hex_text.h"
#include "platform/sim/info_block.h"
#include "platform/sim/sim_host.h"
#include "sim/sim_test_support.h"

namespace kestrix::sim {
namespace {

using test::Bytes;
using test::InfoAddress;

constexpr std::uint32_t DialectA = 0x41;
constexpr std::uint32_t DialectB = 0x42;

std::uint32_t Word(std::uint32_t device, std::uint32_t low = 0, std::uint32_t unit = 0) {
    return device << 24 | unit << 16 | low;
}

World Win98World(const std::string& firstReaderExtra = "") {
    return test::MustParse(R"({"os": "win98", "drivers": ["QXDKPDRV", "QX20DISK"], "devices": [
        {"slots": ["E", "F"], "msRevision": "verM1.3a", "msIspRevision": "verI1.00")" +
                           firstReaderExtra + R"(},
        {"slots": ["H"], "serial": "SECOND000002"}]})");
}

class PortDriver : public ::testing::Test {
  protected:
    void Use(World world, const char* driver = "QXDKPDRV") {
        pins_.clear();  // they belong to the host being replaced
        host_ = std::make_unique<SimHost>(std::move(world));
        handle_ = test::OpenDevice(*host_, driver);
        ASSERT_NE(handle_, platform::InvalidHandleValue);
    }
    void SetUp() override { Use(Win98World()); }

    template <std::size_t N>
    bool Send(std::uint32_t code, const std::array<std::uint8_t, N>& request,
              std::size_t outputLength = 8) {
        Bytes output(outputLength);
        std::uint32_t returned = 0;
        return host_->DeviceIoControl(handle_, code, request, output, returned);
    }

    // A pinned buffer and its token.
    std::uint32_t Pin(Bytes& buffer) {
        pins_.push_back(std::make_unique<platform::PinnedBuffer>(host_->Memory(), buffer));
        return pins_.back()->Token();
    }

    std::uint8_t StatusA(std::uint32_t device = 0) {
        Bytes answer(1, 0xEE);
        EXPECT_TRUE(Send(DialectA, test::ShortRequest(0x15, 0, Word(device), Pin(answer))));
        return answer[0];
    }

    std::unique_ptr<SimHost> host_;
    platform::Handle handle_ = 0;
    std::vector<std::unique_ptr<platform::PinnedBuffer>> pins_;
};

TEST_F(PortDriver, CountsDevicesAndSlotsInBothDialects) {
    Bytes answer(8);
    const std::uint32_t token = Pin(answer);
    struct Case {
        std::uint32_t code;
        std::uint32_t function;
        std::uint32_t device;
        bool succeeds;
        std::uint8_t count;
    };
    const Case cases[] = {
        {DialectA, 0x0A, 0, true, 2},  {DialectA, 0x0B, 0, true, 2}, {DialectA, 0x0B, 1, true, 1},
        {DialectA, 0x0B, 2, false, 0}, {DialectB, 1, 0, true, 2},    {DialectB, 2, 0, true, 2},
        {DialectB, 2, 1, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "code " << c.code << " function " << c.function << " device " << c.device);
        answer.assign(8, 0xEE);
        EXPECT_EQ(Send(c.code, test::ShortRequest(c.function, 0, Word(c.device), token)),
                  c.succeeds);
        if (c.succeeds) {
            EXPECT_EQ(answer, (Bytes{c.count, 0, 0, 0, 0, 0, 0, 0}));
        }
    }
    EXPECT_TRUE(host_->Rejections().empty());
}

TEST_F(PortDriver, FaultsReplaceTheReportedCounts) {
    Use(Win98World(
        R"(, "faults": {"deviceCount": 200, "slotCount": 6, "fail": ["GetSlotCount#2"]})"));
    Bytes answer(8);
    const std::uint32_t token = Pin(answer);
    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x0A, 0, 0, token)));
    EXPECT_EQ(answer[0], 200);
    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x0B, 0, Word(0), token)));
    EXPECT_EQ(answer[0], 6);
    EXPECT_FALSE(Send(DialectA, test::ShortRequest(0x0B, 0, Word(0), token)));
    EXPECT_TRUE(Send(DialectA, test::ShortRequest(0x0B, 0, Word(0), token)));
}

TEST_F(PortDriver, BlockReadsAtTheInformationAddressAnswerTheInformationBlock) {
    for (const std::uint32_t function : {0x01u, 0x1Fu}) {
        SCOPED_TRACE(function);
        Bytes block(512);
        ASSERT_TRUE(
            Send(DialectA, test::ShortRequest(function, InfoAddress, Word(1, 1), Pin(block)), 512));
        const InfoBlock expected = BuildInfoBlock(Win98World().devices[1], false);
        EXPECT_TRUE(std::equal(block.begin(), block.end(), expected.begin()));
    }
    Bytes block(512);
    EXPECT_FALSE(Send(DialectA, test::ShortRequest(0x1F, InfoAddress + 1, Word(0, 1), Pin(block))));
    EXPECT_TRUE(test::Rejected(*host_, "ReadBlocksAlt of 1 block(s) at 0x4a55a31"));
}

TEST_F(PortDriver, RevisionRecordGoesThroughThePointer) {
    Bytes record(8);
    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x1A, 0, Word(0), Pin(record)), 1));
    EXPECT_EQ(FormatHexBytes(record), "01 02 03 06 05 14 07 01");
}

TEST_F(PortDriver, IspLoaderInDialectA) {
    EXPECT_EQ(StatusA(), 0x00);
    Bytes ignored(1);
    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x14, 0, Word(0), Pin(ignored)), 1));
    EXPECT_EQ(StatusA(), 0x9C);
    EXPECT_EQ(StatusA(1), 0x00);  // the other reader stays in its firmware

    Bytes image = test::Image(700);
    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x16, 700, Word(0, 0), Pin(image)), 0));
    EXPECT_EQ(StatusA(), 0xA5);
    EXPECT_EQ(host_->ReaderState(0).firmware, image);
    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x16, 700, Word(0, 1), Pin(image)), 0));
    EXPECT_EQ(StatusA(), 0x5A);
}

TEST_F(PortDriver, MemoryStickControlBlockSwitchesBetweenFirmwareAndIspCode) {
    Bytes control(512, 0);
    control[0] = 0xAA;
    control[1] = 0x55;
    control[2] = 0xBB;
    control[3] = 0x66;
    const std::uint32_t controlToken = Pin(control);
    Bytes block(512);
    const std::uint32_t blockToken = Pin(block);
    const auto msRevision = [&] {
        EXPECT_TRUE(Send(DialectA, test::ShortRequest(0x1F, InfoAddress, Word(0, 1), blockToken)));
        return FormatHexBytes(std::span(block).subspan(0xBC, 8));
    };
    EXPECT_EQ(msRevision(), "65 76 4d 72 2e 31 61 33");  // verM1.3a

    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x20, InfoAddress, Word(0, 1), controlToken), 0));
    EXPECT_TRUE(host_->ReaderState(0).msInIsp);
    EXPECT_EQ(StatusA(), 0x9C);
    EXPECT_EQ(msRevision(), "65 76 49 72 2e 31 30 30");  // verI1.00

    Bytes msImage = test::Image(300, 9);
    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x16, 300, Word(0, 0), Pin(msImage)), 0));
    EXPECT_EQ(StatusA(), 0xA5);
    EXPECT_EQ(host_->ReaderState(0).msFirmware, msImage);
    EXPECT_FALSE(host_->ReaderState(0).programmedLength);  // the main firmware is untouched
    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x16, 300, Word(0, 1), Pin(msImage)), 0));
    EXPECT_EQ(StatusA(), 0xA5);  // the Memory Stick ISP code accepts a matching verify block
    Bytes other = test::Image(300, 10);
    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x16, 300, Word(0, 1), Pin(other)), 0));
    EXPECT_EQ(StatusA(), 0x33);

    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x20, InfoAddress, Word(0, 1), controlToken), 0));
    EXPECT_FALSE(host_->ReaderState(0).msInIsp);
    EXPECT_EQ(StatusA(), 0x9C);

    // Any other block is kept but switches nothing.
    Bytes plain(512, 0x11);
    ASSERT_TRUE(Send(DialectA, test::ShortRequest(0x20, InfoAddress, Word(0, 1), Pin(plain)), 0));
    EXPECT_FALSE(host_->ReaderState(0).msInIsp);
    EXPECT_EQ(host_->ReaderState(0).lastControlBlock, plain);
    EXPECT_EQ(host_->ReaderState(0).controlBlocks, 3u);
}

TEST_F(PortDriver, MalformedDialectARequestsFail) {
    Bytes small(100);
    Bytes block(512);
    const std::uint32_t smallToken = Pin(small);
    const std::uint32_t blockToken = Pin(block);
    struct Case {
        const char* name;
        std::array<std::uint8_t, 16> request;
        const char* reason;
    };
    const Case cases[] = {
        {"unknown function", test::ShortRequest(0x99, 0, 0, blockToken),
         "unknown dialect A function 0x99"},
        {"answer buffer not pinned", test::ShortRequest(0x15, 0, 0, 0x00000010),
         "no buffer of 1 bytes"},
        {"block buffer too small", test::ShortRequest(0x1F, InfoAddress, Word(0, 1), smallToken),
         "no buffer of 512 bytes"},
        {"no blocks", test::ShortRequest(0x1F, InfoAddress, Word(0, 0), blockToken), "of 0 blocks"},
        {"ISP block of length 0", test::ShortRequest(0x16, 0, 0, blockToken),
         "WriteIspBlock of length 0"},
        {"ISP block with mode 2", test::ShortRequest(0x16, 10, Word(0, 2), blockToken),
         "with mode 2"},
        {"logical unit without a slot", test::ShortRequest(0x15, 0, Word(1, 0, 1), blockToken),
         "logical unit 1 of device 1"},
        {"ISP block before the jump", test::ShortRequest(0x16, 10, 0, blockToken),
         "while no ISP loader runs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Send(DialectA, c.request));
        EXPECT_TRUE(test::Rejected(*host_, c.reason));
    }
    const std::array<std::uint8_t, 15> shortRequest{};
    EXPECT_FALSE(Send(DialectA, shortRequest));
    EXPECT_TRUE(test::Rejected(*host_, "dialect A request of 15 bytes"));
    EXPECT_FALSE(Send(0x43, test::ShortRequest(0x0A, 0, 0, blockToken)));
    EXPECT_TRUE(test::Rejected(*host_, "unknown control code 0x43"));
}

TEST_F(PortDriver, DialectBCarriesCdbs) {
    Use(Win98World(), "QX20DISK");
    Bytes info(528);
    ASSERT_TRUE(Send(
        DialectB,
        test::CdbRequest(1, 0, {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}, 1, 528, Pin(info)),
        528));
    const InfoBlock expected = BuildInfoBlock(Win98World().devices[1], false);
    EXPECT_TRUE(std::equal(info.begin(), info.end(), expected.begin()));

    ASSERT_TRUE(Send(DialectB, test::CdbRequest(0, 0, {0x06, 0xBF, 0, 0, 8, 8}, 0, 0, 0), 0));
    Bytes status(28, 0xEE);
    ASSERT_TRUE(Send(DialectB, test::CdbRequest(0, 0, {0x06, 0xB0, 0, 0, 8}, 1, 28, Pin(status))));
    EXPECT_EQ(status[0], 0x9C);
    EXPECT_EQ(status[27], 0x00);

    // The status answer is 28 bytes long, whatever output length the call names.
    Bytes tooSmall(8);
    EXPECT_FALSE(
        Send(DialectB, test::CdbRequest(0, 0, {0x06, 0xB0, 0, 0, 8}, 1, 28, Pin(tooSmall))));
    EXPECT_TRUE(test::Rejected(*host_, "no buffer of 28 bytes"));

    Bytes image(1024);
    const Bytes data = test::Image(700);
    std::copy(data.begin(), data.end(), image.begin());
    ASSERT_TRUE(Send(DialectB,
                     test::CdbRequest(0, 0, test::WriteIspCdb(700, 0), 2, 1024, Pin(image)), 1024));
    ASSERT_TRUE(Send(DialectB, test::CdbRequest(0, 0, {0x06, 0xB0, 0, 0, 8}, 1, 28, Pin(status))));
    EXPECT_EQ(status[0], 0xA5);
    EXPECT_EQ(host_->ReaderState(0).firmware, data);
}

TEST_F(PortDriver, MalformedDialectBRequestsFail) {
    Bytes buffer(600);
    const std::uint32_t token = Pin(buffer);
    const Bytes info = {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0};
    EXPECT_FALSE(Send(DialectB, test::ShortRequest(3, 0, 0, token)));
    EXPECT_TRUE(test::Rejected(*host_, "16-byte request with function 0x3"));

    auto wrongFunction = test::CdbRequest(0, 0, info, 1, 528, token);
    wrongFunction[0] = 1;
    EXPECT_FALSE(Send(DialectB, wrongFunction));
    EXPECT_TRUE(test::Rejected(*host_, "40-byte request with function 0x1"));

    EXPECT_FALSE(Send(DialectB, test::CdbRequest(0, 0, info, 3, 528, token)));
    EXPECT_TRUE(test::Rejected(*host_, "data direction 3"));
    EXPECT_FALSE(Send(DialectB, test::CdbRequest(0, 0, info, 0, 528, token)));
    EXPECT_TRUE(test::Rejected(*host_, "without a direction"));
    EXPECT_FALSE(Send(DialectB, test::CdbRequest(0, 2, info, 1, 528, token)));
    EXPECT_TRUE(test::Rejected(*host_, "target 2 of device 0"));
    EXPECT_FALSE(Send(DialectB, test::CdbRequest(0, 0, info, 1, 100, token)));
    EXPECT_TRUE(test::Rejected(*host_, "ReadDeviceInfo with a transfer length of 100"));
    EXPECT_FALSE(Send(DialectB, test::CdbRequest(0, 0, {0x28}, 1, 512, token)));
    EXPECT_TRUE(test::Rejected(*host_, "unknown command 28"));
    const std::array<std::uint8_t, 20> oddLength{};
    EXPECT_FALSE(Send(DialectB, oddLength));
    EXPECT_TRUE(test::Rejected(*host_, "dialect B request of 20 bytes"));
    // A device the driver does not have fails without being a malformed request.
    const std::size_t before = host_->Rejections().size();
    EXPECT_FALSE(Send(DialectB, test::CdbRequest(7, 0, info, 1, 528, token)));
    EXPECT_EQ(host_->Rejections().size(), before);
}

TEST_F(PortDriver, FailFaultsFailTheCall) {
    Use(Win98World(R"(, "faults": {"fail": ["ReadBlocksAlt", "ReadFirmwareRevision#1"]})"));
    Bytes block(512);
    EXPECT_FALSE(Send(DialectA, test::ShortRequest(0x1F, InfoAddress, Word(0, 1), Pin(block))));
    EXPECT_TRUE(Send(DialectA, test::ShortRequest(0x01, InfoAddress, Word(0, 1), Pin(block))));
    Bytes record(8);
    EXPECT_FALSE(Send(DialectA, test::ShortRequest(0x1A, 0, 0, Pin(record))));
    EXPECT_TRUE(Send(DialectA, test::ShortRequest(0x1A, 0, 0, Pin(record))));
    EXPECT_TRUE(host_->Rejections().empty());
}

}  // namespace
}  // namespace kestrix::sim
