#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "platform/win32_types.h"

namespace kestrix::platform {

// Called by the ASPI layer when a posted request block has finished, possibly on another
// thread. It receives the block; its status byte is final by then.
using AspiPostRoutine = std::function<void(std::span<std::uint8_t> requestBlock)>;

// Run-time module loading and the two ASPI entry points reached through it.
class Modules {
  public:
    virtual ~Modules() = default;

    [[nodiscard]] virtual ModuleHandle LoadLibraryA(std::string_view name) = 0;
    [[nodiscard]] virtual ProcAddress GetProcAddress(ModuleHandle module,
                                                     std::string_view name) = 0;
    virtual bool FreeLibrary(ModuleHandle module) = 0;

    // Calls a resolved GetASPI32SupportInfo entry: byte 0 adapters, byte 1 status.
    [[nodiscard]] virtual std::uint32_t CallGetAspi32SupportInfo(ProcAddress entry) = 0;

    // Calls a resolved SendASPI32Command entry with a request block. The block must stay
    // valid until `postRoutine` has run. A 32-bit block field cannot hold a code address on a
    // 64-bit build, so the post routine travels beside the block. Returns the status byte
    // the call leaves in the block (0 = pending).
    [[nodiscard]] virtual std::uint32_t CallSendAspi32Command(ProcAddress entry,
                                                              std::span<std::uint8_t> requestBlock,
                                                              AspiPostRoutine postRoutine) = 0;
};

}  // namespace kestrix::platform
