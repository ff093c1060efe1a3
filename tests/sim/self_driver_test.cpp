#include <gtest/gtest.h>

#include "platform/address_space.h"
#include "platform/sim/sim_host.h"
#include "sim/sim_test_support.h"

namespace kestrix::sim {
namespace {

using test::Bytes;

constexpr std::uint32_t Jump = 0x222004;
constexpr std::uint32_t Status = 0x222008;
constexpr std::uint32_t Write = 0x22200C;

class SelfDriver : public ::testing::Test {
  protected:
    void SetUp() override {
        host_ = std::make_unique<SimHost>(test::MustParse(
            R"({"os": "win2k", "drivers": ["HVBRDG"], "devices": [{"slots": ["E"]}, {"slots": ["F"]}]})"));
        driver_ = test::OpenDevice(*host_, "HVBRDG");
        ASSERT_NE(driver_, platform::InvalidHandleValue);
        pin_ = std::make_unique<platform::PinnedBuffer>(host_->Memory(), answer_);
    }

    bool Send(std::uint32_t code, const Bytes& request, std::size_t outputLength = 1) {
        output_.assign(outputLength, 0xEE);
        std::uint32_t returned = 0;
        return host_->DeviceIoControl(driver_, code, request, output_, returned);
    }

    std::uint8_t IspStatus() {
        answer_[0] = 0xEE;
        EXPECT_TRUE(Send(Status, test::SelfDriverRequest(Status, 0, 0, pin_->Token())));
        EXPECT_EQ(output_[0], answer_[0]);
        return answer_[0];
    }

    std::unique_ptr<SimHost> host_;
    platform::Handle driver_ = 0;
    Bytes answer_ = Bytes(1);
    Bytes output_;
    std::unique_ptr<platform::PinnedBuffer> pin_;
};

TEST_F(SelfDriver, IspLoaderOfTheFirstReader) {
    ASSERT_TRUE(Send(Jump, test::SelfDriverRequest(Jump, 0, 0, pin_->Token())));
    EXPECT_EQ(IspStatus(), 0x9C);
    EXPECT_TRUE(host_->ReaderState(0).inIsp);
    EXPECT_FALSE(host_->ReaderState(1).inIsp);

    const Bytes image = test::Image(700);
    ASSERT_TRUE(Send(Write, test::SelfDriverRequest(Write, 700, 0, 0, image), 0));
    EXPECT_EQ(IspStatus(), 0xA5);
    EXPECT_EQ(host_->ReaderState(0).firmware, image);
    ASSERT_TRUE(Send(Write, test::SelfDriverRequest(Write, 700, 1, 0, image), 0));
    EXPECT_EQ(IspStatus(), 0x5A);
    EXPECT_TRUE(host_->Rejections().empty());
}

TEST_F(SelfDriver, MalformedRequestsFail) {
    struct Case {
        const char* name;
        std::uint32_t code;
        Bytes request;
        const char* reason;
    };
    Bytes shortRequest = test::SelfDriverRequest(Jump, 0, 0, pin_->Token());
    shortRequest.resize(16);
    const Case cases[] = {
        {"short request", Jump, shortRequest, "request of 16 bytes, expected 65552"},
        {"code in the request differs", Status, test::SelfDriverRequest(Jump, 0, 0, pin_->Token()),
         "request names code"},
        {"unknown code", 0x222010, test::SelfDriverRequest(0x222010, 0, 0, pin_->Token()),
         "unknown control code"},
        {"no answer buffer", Status, test::SelfDriverRequest(Status, 0, 0, 0x20),
         "no answer buffer"},
        {"block of length 0", Write, test::SelfDriverRequest(Write, 0, 0, 0), "of length 0"},
        {"block beyond 64 KiB", Write, test::SelfDriverRequest(Write, 65537, 0, 0),
         "of length 65537"},
        {"mode 2", Write, test::SelfDriverRequest(Write, 10, 2, 0), "with mode 2"},
        {"block before the jump", Write, test::SelfDriverRequest(Write, 10, 0, 0),
         "while no ISP loader runs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Send(c.code, c.request));
        EXPECT_TRUE(test::Rejected(*host_, c.reason));
    }
}

TEST_F(SelfDriver, FaultsFailTheCall) {
    World world = test::MustParse(R"({"os": "win2k", "drivers": ["HVBRDG"],
        "devices": [{"faults": {"fail": ["JumpToIsp#1"]}}]})");
    pin_.reset();  // it belongs to the host being replaced
    host_ = std::make_unique<SimHost>(std::move(world));
    driver_ = test::OpenDevice(*host_, "HVBRDG");
    pin_ = std::make_unique<platform::PinnedBuffer>(host_->Memory(), answer_);
    EXPECT_FALSE(Send(Jump, test::SelfDriverRequest(Jump, 0, 0, pin_->Token())));
    EXPECT_TRUE(Send(Jump, test::SelfDriverRequest(Jump, 0, 0, pin_->Token())));
}

}  // namespace
}  // namespace kestrix::sim
