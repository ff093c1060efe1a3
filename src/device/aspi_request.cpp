#include "device/aspi_request.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <new>
#include <optional>

#include "core/byte_order.h"
#include "platform/aspi_layout.h"

namespace kestrix::device::aspi {

namespace layout = platform::aspi;

namespace {

constexpr std::size_t InquiryTextOffset = 8;
constexpr std::size_t InquiryTextLength = 24;

// Everything one request owns. The completion routine releases the data buffer and its pin
// and then its share of the object; whoever drops the last share frees the block.
struct Request {
    std::array<std::uint8_t, layout::RequestBlockSize> block{};
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t dataSize = 0;
    std::optional<platform::PinnedBuffer> pin;
    Completion completion = Completion::StatusOnly;
    InquiryIdentities identities;
    // Set by whichever side completes the request first, so that it completes only once.
    std::atomic<bool> finished{false};
};

std::span<const std::uint8_t> DataOf(const Request& request) {
    return {request.data.get(), request.dataSize};
}

// Records the outcome, frees the data buffer and publishes the done flag last.
void Finish(Request& request, DeviceState& state, std::uint8_t status) {
    AspiState& aspi = state.aspi;
    const bool completed = status == layout::StatusCompleted;
    const std::span<const std::uint8_t> data = DataOf(request);
    switch (request.completion) {
        case Completion::MatchCheck:
            if (completed && (InquiryMatches(data, request.identities.fb) ||
                              InquiryMatches(data, request.identities.fa))) {
                aspi.matchAdapter = request.block[layout::AdapterOffset];
                aspi.matchTarget = request.block[layout::TargetOffset];
                aspi.match.store(1, std::memory_order_release);
            }
            break;
        case Completion::CopyInfo:
            if (!completed) aspi.error.store(1, std::memory_order_release);
            std::copy_n(data.begin(), std::min(data.size(), state.infoBlock.size()),
                        state.infoBlock.begin());
            break;
        case Completion::KeepStatus:
            if (!completed) aspi.error.store(1, std::memory_order_release);
            aspi.ispStatus = data.empty() ? 0 : data[0];
            break;
        case Completion::StatusOnly:
            if (!completed) aspi.error.store(1, std::memory_order_release);
            break;
    }
    request.pin.reset();
    request.data.reset();
    request.dataSize = 0;
}

void BuildBlock(Request& request, const RequestSetup& setup) {
    std::span<std::uint8_t> block(request.block);
    block[layout::CommandOffset] = layout::ExecuteScsiCommand;
    block[layout::AdapterOffset] = setup.adapter;
    block[layout::FlagsOffset] = setup.flags;
    block[layout::TargetOffset] = setup.target;
    block[layout::LunOffset] = 0;
    core::PutLe32(block, layout::BufferLengthOffset, setup.bufferLength);
    core::PutLe32(block, layout::BufferAddressOffset, request.pin->Token());
    block[layout::SenseLengthOffset] = layout::SenseLength;
    const std::size_t cdbLength = std::min(setup.cdb.size(), layout::CdbCapacity);
    block[layout::CdbLengthOffset] = static_cast<std::uint8_t>(cdbLength);
    std::copy_n(setup.cdb.begin(), cdbLength, block.begin() + layout::CdbOffset);
}

}  // namespace

bool InquiryMatches(std::span<const std::uint8_t> inquiryData,
                    const image::InquiryIdentity& identity) {
    if (inquiryData.size() < InquiryTextOffset + InquiryTextLength) return false;
    for (std::size_t i = 0; i < InquiryTextLength; ++i) {
        const std::uint8_t answer = inquiryData[InquiryTextOffset + i];
        if (answer != identity[i]) return false;
        if (answer == 0) return true;  // both texts end here
    }
    return true;
}

bool SendRequest(DeviceContext& context, const RequestSetup& setup) {
    auto request = std::make_shared<Request>();
    request->dataSize = setup.dataSize;
    request->data.reset(new (std::nothrow) std::uint8_t[setup.dataSize]());
    if (!request->data) return false;
    const std::size_t outputLength = std::min(setup.output.size(), setup.dataSize);
    std::copy_n(setup.output.begin(), outputLength, request->data.get());
    request->pin.emplace(context.host.memory, std::span(request->data.get(), setup.dataSize));
    request->completion = setup.completion;
    request->identities = setup.identities;
    BuildBlock(*request, setup);

    DeviceState& state = context.state;
    auto complete = [&state](Request& finishing, std::uint8_t status) {
        if (finishing.finished.exchange(true, std::memory_order_acq_rel)) return false;
        Finish(finishing, state, status);
        return true;
    };

    const platform::ProcAddress entry = state.aspi.sendCommandEntry;
    if (entry == 0) {
        // Nothing to send through: the request fails at once.
        if (complete(*request, layout::StatusInvalidCommand))
            state.aspi.done.store(1, std::memory_order_release);
        return true;
    }

    platform::AspiPostRoutine postRoutine = [request, complete,
                                             &state](std::span<std::uint8_t> block) mutable {
        const bool mine = complete(*request, block[layout::StatusOffset]);
        request.reset();
        if (mine) state.aspi.done.store(1, std::memory_order_release);
    };
    const std::uint32_t status =
        context.host.modules.CallSendAspi32Command(entry, request->block, std::move(postRoutine));
    if (status != layout::StatusPending) {
        // ASPI posts a request only when it accepted it as pending; a request it finished or
        // refused at once is completed here (unless the routine already ran).
        if (complete(*request, static_cast<std::uint8_t>(status)))
            state.aspi.done.store(1, std::memory_order_release);
    }
    return true;
}

void WaitForCompletion(DeviceContext& context, std::uint32_t intervalMs) {
    while (context.state.aspi.done.load(std::memory_order_acquire) == 0)
        context.host.kernel.Sleep(intervalMs);
}

}  // namespace kestrix::device::aspi
