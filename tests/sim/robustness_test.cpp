// Random requests on every path: the host refuses or answers them, never crashes, and keeps
// serving well-formed requests afterwards.

#include <gtest/gtest.h>

#include <random>

#include "core/byte_order.h"
#include "platform/address_space.h"
#include "platform/aspi_layout.h"
#include "platform/sim/sim_host.h"
#include "sim/sim_test_support.h"

namespace kestrix::sim {
namespace {

using test::Bytes;

constexpr int Rounds = 1500;

World EveryPathWorld() {
    return test::MustParse(R"({"os": "win2k", "drivers": ["HVBRDG", "QXDKPDRV", "QX20DISK"],
        "aspi": {}, "drives": ["C"], "devices": [{"slots": ["E", "F"]}, {"slots": ["G"]}]})");
}

class RandomRequests : public ::testing::Test {
  protected:
    void SetUp() override {
        for (Bytes& buffer : buffers_) {
            buffer.assign(random_() % 70000, 0);
            pins_.push_back(std::make_unique<platform::PinnedBuffer>(host_.Memory(), buffer));
        }
    }

    Bytes RandomBytes(std::size_t size) {
        Bytes bytes(size);
        for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random_());
        return bytes;
    }

    // A buffer address that often lands in or near a pinned buffer.
    std::uint32_t RandomAddress() {
        const auto& pin = pins_[random_() % pins_.size()];
        switch (random_() % 3) {
            case 0:
                return pin->Token();
            case 1:
                return pin->Token() + static_cast<std::uint32_t>(random_() % 80000);
            default:
                return static_cast<std::uint32_t>(random_());
        }
    }

    // A plausible length: small, a block multiple or anything.
    std::uint32_t RandomLength() {
        switch (random_() % 3) {
            case 0:
                return static_cast<std::uint32_t>(random_() % 64);
            case 1:
                return static_cast<std::uint32_t>(random_() % 130) * 512;
            default:
                return static_cast<std::uint32_t>(random_());
        }
    }

    void ExpectStillServing() {
        const platform::Handle drive = test::OpenDrive(host_, 'E');
        test::PassThrough inquiry({0x12, 0, 0, 0, 0x24, 0}, 1, 36);
        EXPECT_TRUE(test::Send(host_, drive, inquiry));
        EXPECT_EQ(inquiry.ScsiStatus(), 0);
        EXPECT_TRUE(host_.CloseHandle(drive));
    }

    std::mt19937 random_{2024};
    SimHost host_{EveryPathWorld()};
    std::array<Bytes, 4> buffers_;
    std::vector<std::unique_ptr<platform::PinnedBuffer>> pins_;
};

TEST_F(RandomRequests, PassThrough) {
    for (char letter : {'E', 'C'}) {
        const platform::Handle drive = test::OpenDrive(host_, letter);
        for (int i = 0; i < Rounds; ++i) {
            Bytes buffer = RandomBytes(80 + random_() % 2048);
            // Keep the header mostly sound so that requests reach the device.
            if (random_() % 4 != 0) {
                core::PutLe16(buffer, 0, 44);
                buffer[6] = static_cast<std::uint8_t>(std::array{6, 10, 12, 16}[random_() % 4]);
                buffer[7] = static_cast<std::uint8_t>(random_() % 33);
                buffer[8] = static_cast<std::uint8_t>(random_() % 3);
                core::PutLe32(buffer, 12,
                              static_cast<std::uint32_t>(random_() % (buffer.size() - 79)));
                core::PutLe32(buffer, 20, 80);
                core::PutLe32(buffer, 24, 48);
                buffer[28] = static_cast<std::uint8_t>(std::array{0x12, 0x06, 0xFF}[random_() % 3]);
            }
            const std::size_t in = random_() % (buffer.size() + 1);
            const std::size_t out = random_() % (buffer.size() + 1);
            std::uint32_t returned = 0;
            (void)host_.DeviceIoControl(drive, 0x4D004, std::span(buffer).first(in),
                                        std::span(buffer).first(out), returned);
        }
    }
    ExpectStillServing();
}

TEST_F(RandomRequests, PortAndSelfDrivers) {
    const platform::Handle portA = test::OpenDevice(host_, "QXDKPDRV");
    const platform::Handle portB = test::OpenDevice(host_, "QX20DISK");
    const platform::Handle self = test::OpenDevice(host_, "HVBRDG");
    for (int i = 0; i < Rounds; ++i) {
        Bytes request =
            RandomBytes(std::array<std::size_t, 4>{16, 40, 65552, random_() % 64}[random_() % 4]);
        if (request.size() == 16) {
            core::PutLe32(request, 0,
                          std::array{0x01u, 0x0Au, 0x0Bu, 0x14u, 0x15u, 0x16u, 0x1Au, 0x1Fu, 0x20u,
                                     1u, 2u}[random_() % 11]);
            core::PutLe32(request, 4, random_() % 2 ? test::InfoAddress : RandomLength());
            core::PutLe32(request, 8,
                          static_cast<std::uint32_t>(random_() % 3) << 24 |
                              static_cast<std::uint32_t>(random_() % 3));
            core::PutLe32(request, 12, RandomAddress());
        } else if (request.size() == 40) {
            core::PutLe32(request, 0, 3);
            core::PutLe32(request, 4, random_() % 3);
            core::PutLe32(request, 8, random_() % 2);
            request[12] = static_cast<std::uint8_t>(std::array{0x12, 0x06, 0xFF}[random_() % 3]);
            core::PutLe32(request, 28, random_() % 4);
            core::PutLe32(request, 32, RandomLength());
            core::PutLe32(request, 36, RandomAddress());
        } else if (request.size() == 65552) {
            const std::uint32_t code = 0x222004 + 4 * static_cast<std::uint32_t>(random_() % 3);
            core::PutLe32(request, 0, code);
            core::PutLe32(request, 4, RandomLength());
            core::PutLe32(request, 8, random_() % 3);
            core::PutLe32(request, 12, RandomAddress());
        }
        Bytes output = RandomBytes(random_() % 600);
        std::uint32_t returned = 0;
        const platform::Handle handle = std::array{portA, portB, self}[random_() % 3];
        const std::uint32_t code =
            std::array{0x41u, 0x42u, 0x222004u, 0x222008u, 0x22200Cu, 0x4D004u}[random_() % 6];
        (void)host_.DeviceIoControl(handle, code, request, output, returned);
    }
    ExpectStillServing();
}

TEST_F(RandomRequests, AspiBlocks) {
    namespace aspi = platform::aspi;
    const platform::ProcAddress send =
        host_.GetProcAddress(host_.LoadLibraryA("WNASPI32"), "SendASPI32Command");
    std::vector<Bytes> blocks(Rounds);
    for (Bytes& block : blocks) {
        block = RandomBytes(random_() % 8 == 0 ? random_() % 300 : aspi::RequestBlockSize);
        if (block.size() == aspi::RequestBlockSize && random_() % 4 != 0) {
            block[aspi::CommandOffset] = aspi::ExecuteScsiCommand;
            block[aspi::AdapterOffset] = static_cast<std::uint8_t>(random_() % 2);
            block[aspi::TargetOffset] = static_cast<std::uint8_t>(random_() % 4);
            block[aspi::LunOffset] = static_cast<std::uint8_t>(random_() % 2);
            core::PutLe32(block, aspi::BufferLengthOffset, RandomLength());
            core::PutLe32(block, aspi::BufferAddressOffset, RandomAddress());
            block[aspi::SenseLengthOffset] = aspi::SenseLength;
            block[aspi::CdbLengthOffset] = static_cast<std::uint8_t>(random_() % 17);
            block[aspi::CdbOffset] =
                static_cast<std::uint8_t>(std::array{0x12, 0x06, 0xFF}[random_() % 3]);
        }
        (void)host_.CallSendAspi32Command(send, block, nullptr);
    }
    host_.WaitForAspiIdle();
    ExpectStillServing();
}

}  // namespace
}  // namespace kestrix::sim
