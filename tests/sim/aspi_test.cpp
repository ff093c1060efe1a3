#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/byte_order.h"
#include "platform/address_space.h"
#include "platform/aspi_layout.h"
#include "platform/sim/sim_host.h"
#include "sim/sim_test_support.h"

namespace kestrix::sim {
namespace {

using test::Bytes;
namespace aspi = platform::aspi;

World MeWorld(const std::string& library = "present", const std::string& readerExtra = "") {
    return test::MustParse(R"({"os": "winme", "aspi": {"library": ")" + library +
                           R"(", "adapters": 2},
        "devices": [{"slots": ["E", "F"], "aspi": {"adapter": 1, "targets": [0, 3]},
                     "inquiryVendor": "AB CD", "inquiryProduct": "CARD READER")" +
                           readerExtra + "}]}");
}

// One request in flight: its block, its data buffer and what its post routine saw.
struct Request {
    Bytes block = Bytes(aspi::RequestBlockSize, 0);
    Bytes data;
    std::unique_ptr<platform::PinnedBuffer> pin;
    std::atomic<bool> done{false};
    std::thread::id postThread;
    std::uint8_t postedStatus = 0xEE;

    Request(SimHost& host, std::uint8_t adapter, std::uint8_t target, std::uint8_t flags,
            const Bytes& cdb, std::uint32_t length)
        : data(std::max<std::uint32_t>(length, 1), 0) {
        pin = std::make_unique<platform::PinnedBuffer>(host.Memory(), data);
        block[aspi::CommandOffset] = aspi::ExecuteScsiCommand;
        block[aspi::AdapterOffset] = adapter;
        block[aspi::FlagsOffset] = flags;
        block[aspi::TargetOffset] = target;
        core::PutLe32(block, aspi::BufferLengthOffset, length);
        core::PutLe32(block, aspi::BufferAddressOffset, pin->Token());
        block[aspi::SenseLengthOffset] = aspi::SenseLength;
        block[aspi::CdbLengthOffset] = static_cast<std::uint8_t>(cdb.size());
        std::copy(cdb.begin(), cdb.end(), block.begin() + aspi::CdbOffset);
    }

    platform::AspiPostRoutine Post() {
        return [this](std::span<std::uint8_t> finished) {
            postThread = std::this_thread::get_id();
            postedStatus = finished[aspi::StatusOffset];
            done.store(true, std::memory_order_release);
        };
    }
};

class Aspi : public ::testing::Test {
  protected:
    void Use(World world) {
        host_ = std::make_unique<SimHost>(std::move(world));
        module_ = host_->LoadLibraryA("WNASPI32");
        send_ = host_->GetProcAddress(module_, "SendASPI32Command");
    }
    void SetUp() override { Use(MeWorld()); }

    // Sends and waits the way the logic does: polling with Sleep until the post routine ran.
    std::uint8_t Run(Request& request) {
        EXPECT_EQ(host_->CallSendAspi32Command(send_, request.block, request.Post()),
                  aspi::StatusPending);
        while (!request.done.load(std::memory_order_acquire)) host_->Sleep(10);
        return request.postedStatus;
    }

    std::unique_ptr<SimHost> host_;
    platform::ModuleHandle module_ = 0;
    platform::ProcAddress send_ = 0;
};

TEST(AspiLibrary, LoadingFollowsTheWorld) {
    struct Case {
        const char* world;
        bool loads;
        bool support;
        bool send;
    };
    const Case cases[] = {
        {R"({"aspi": {"library": "present"}})", true, true, true},
        {R"({"aspi": {"library": "missing"}})", false, false, false},
        {R"({"aspi": {"library": "no-GetASPI32SupportInfo"}})", true, false, true},
        {R"({"aspi": {"library": "no-SendASPI32Command"}})", true, true, false},
        {"{}", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.world);
        SimHost host(test::MustParse(c.world));
        const platform::ModuleHandle module = host.LoadLibraryA("WNASPI32");
        EXPECT_EQ(module != 0, c.loads);
        EXPECT_EQ(host.GetProcAddress(module, "GetASPI32SupportInfo") != 0, c.support);
        EXPECT_EQ(host.GetProcAddress(module, "SendASPI32Command") != 0, c.send);
        EXPECT_EQ(host.GetProcAddress(module, "Other"), 0u);
        EXPECT_EQ(host.FreeLibrary(module), c.loads);
        EXPECT_EQ(host.LoadedLibraryCount(), 0u);
    }
}

TEST(AspiLibrary, ReferencesCountAndEntriesDieWithTheLibrary) {
    SimHost host(MeWorld());
    EXPECT_EQ(host.LoadLibraryA("other"), 0u);
    const platform::ModuleHandle module = host.LoadLibraryA("wnaspi32.dll");
    ASSERT_NE(module, 0u);
    EXPECT_EQ(host.LoadLibraryA("WNASPI32"), module);
    EXPECT_EQ(host.LoadedLibraryCount(), 2u);
    const platform::ProcAddress support = host.GetProcAddress(module, "GetASPI32SupportInfo");
    EXPECT_EQ(host.CallGetAspi32SupportInfo(support), 0x0102u);  // two adapters, completed
    EXPECT_TRUE(host.FreeLibrary(module));
    EXPECT_TRUE(host.FreeLibrary(module));
    EXPECT_FALSE(host.FreeLibrary(module));
    EXPECT_EQ(host.CallGetAspi32SupportInfo(support), 0u);
    EXPECT_TRUE(
        test::Rejected(host, "GetASPI32SupportInfo called through an entry that is not loaded"));
}

TEST_F(Aspi, CompletesOnAnotherThreadAfterTheCallReturns) {
    Request inquiry(*host_, 1, 0, 0x09, {0x12, 0, 0, 0, 0x28, 0}, 40);
    EXPECT_EQ(Run(inquiry), aspi::StatusCompleted);
    EXPECT_NE(inquiry.postThread, std::this_thread::get_id());
    EXPECT_EQ(inquiry.block[aspi::StatusOffset], aspi::StatusCompleted);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(inquiry.data.data()) + 8, 24),
              "AB CD   CARD READER     ");
    EXPECT_FALSE(host_->Sleeps().empty() && inquiry.postThread == std::thread::id());
}

TEST_F(Aspi, EachTargetOfAReaderIsOneOfItsSlots) {
    struct Case {
        std::uint8_t adapter;
        std::uint8_t target;
        std::uint8_t status;
    };
    const Case cases[] = {
        {1, 0, aspi::StatusCompleted}, {1, 3, aspi::StatusCompleted}, {1, 1, aspi::StatusError},
        {0, 0, aspi::StatusError},     {5, 0, aspi::StatusError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.adapter) << ":" << int(c.target));
        Request inquiry(*host_, c.adapter, c.target, 0x09, {0x12, 0, 0, 0, 0x28, 0}, 40);
        EXPECT_EQ(Run(inquiry), c.status);
    }
    EXPECT_TRUE(host_->Rejections().empty());  // scanning empty targets is normal
}

TEST_F(Aspi, IspCommandsAndTheInformationBlock) {
    Request info(*host_, 1, 0, 0x09, {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}, 528);
    EXPECT_EQ(Run(info), aspi::StatusCompleted);
    EXPECT_EQ(info.data[0x0B0], 'A');

    Request jump(*host_, 1, 0, 0x09, {0x06, 0xBF, 0, 0, 8, 8, 0, 0, 0, 0, 0, 0}, 0);
    EXPECT_EQ(Run(jump), aspi::StatusCompleted);
    Request status(*host_, 1, 0, 0x09, {0x06, 0xB0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0}, 28);
    EXPECT_EQ(Run(status), aspi::StatusCompleted);
    EXPECT_EQ(status.data[0], 0x9C);

    const Bytes image = test::Image(1000);
    Request write(*host_, 1, 0, 0x11, test::WriteIspCdb(1000, 0), 1024);
    std::copy(image.begin(), image.end(), write.data.begin());
    EXPECT_EQ(Run(write), aspi::StatusCompleted);
    EXPECT_EQ(host_->ReaderState(0).firmware, image);
}

TEST_F(Aspi, FailingCommandsCompleteWithError) {
    Use(MeWorld("present",
                R"(, "faults": {"fail": ["GetIspStatus"], "ispStatus": {"1": "0x33"}})"));
    Request status(*host_, 1, 0, 0x09, {0x06, 0xB0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0}, 28);
    EXPECT_EQ(Run(status), aspi::StatusError);

    // A command the firmware refuses: error, with its check condition and sense.
    Request unknown(*host_, 1, 0, 0x09, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 512);
    EXPECT_EQ(Run(unknown), aspi::StatusError);
    EXPECT_EQ(unknown.block[aspi::TargetStatusOffset], 0x02);
    EXPECT_EQ(unknown.block[aspi::SenseAreaOffset + 2], 0x05);
}

TEST_F(Aspi, MalformedBlocksCompleteAsInvalidAndAreRecorded) {
    struct Case {
        const char* name;
        std::function<void(Request&)> spoil;
        const char* reason;
    };
    const Case cases[] = {
        {"command code", [](Request& r) { r.block[aspi::CommandOffset] = 1; }, "command code 1"},
        {"CDB length", [](Request& r) { r.block[aspi::CdbLengthOffset] = 0; }, "CDB length 0"},
        {"CDB length beyond 16", [](Request& r) { r.block[aspi::CdbLengthOffset] = 17; },
         "CDB length 17"},
        {"sense length", [](Request& r) { r.block[aspi::SenseLengthOffset] = 250; },
         "sense length 250"},
        {"both directions", [](Request& r) { r.block[aspi::FlagsOffset] = 0x19; },
         "data in and out"},
        {"buffer not pinned",
         [](Request& r) { core::PutLe32(r.block, aspi::BufferAddressOffset, 0x20); },
         "no data buffer of 40 bytes"},
        {"buffer too small",
         [](Request& r) { core::PutLe32(r.block, aspi::BufferLengthOffset, 41); },
         "no data buffer of 41 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Request inquiry(*host_, 1, 0, 0x09, {0x12, 0, 0, 0, 0x28, 0}, 40);
        c.spoil(inquiry);
        EXPECT_EQ(Run(inquiry), aspi::StatusInvalidCommand);
        EXPECT_TRUE(test::Rejected(*host_, c.reason));
    }
}

TEST_F(Aspi, SendingThroughAnUnloadedLibraryStillCompletes) {
    ASSERT_TRUE(host_->FreeLibrary(module_));
    Request inquiry(*host_, 1, 0, 0x09, {0x12, 0, 0, 0, 0x28, 0}, 40);
    EXPECT_EQ(Run(inquiry), aspi::StatusInvalidCommand);
    EXPECT_TRUE(
        test::Rejected(*host_, "SendASPI32Command called through an entry that is not loaded"));
}

TEST(AspiShutdown, TheHostWaitsForPendingCompletions) {
    std::atomic<int> posted{0};
    std::vector<std::unique_ptr<Request>> requests;
    {
        SimHost host(MeWorld());
        const platform::ProcAddress send =
            host.GetProcAddress(host.LoadLibraryA("WNASPI32"), "SendASPI32Command");
        for (int i = 0; i < 50; ++i) {
            requests.push_back(
                std::make_unique<Request>(host, 1, static_cast<std::uint8_t>(i % 2 == 0 ? 0 : 3),
                                          0x09, Bytes{0x12, 0, 0, 0, 0x28, 0}, 40));
            Request& request = *requests.back();
            (void)host.CallSendAspi32Command(send, request.block,
                                             [&posted](std::span<std::uint8_t>) { ++posted; });
        }
        for (auto& request : requests) request->pin.reset();
    }
    EXPECT_EQ(posted.load(), 50);
}

TEST_F(Aspi, WaitForIdleSeesEveryCompletion) {
    std::vector<std::unique_ptr<Request>> requests;
    for (int i = 0; i < 10; ++i) {
        requests.push_back(
            std::make_unique<Request>(*host_, 1, 0, 0x09, Bytes{0x12, 0, 0, 0, 0x28, 0}, 40));
        (void)host_->CallSendAspi32Command(send_, requests.back()->block, requests.back()->Post());
    }
    host_->WaitForAspiIdle();
    for (const auto& request : requests) EXPECT_TRUE(request->done.load(std::memory_order_acquire));
    EXPECT_EQ(host_->ReaderState(0).calls[static_cast<std::size_t>(Command::Inquiry)], 10u);
}

}  // namespace
}  // namespace kestrix::sim
