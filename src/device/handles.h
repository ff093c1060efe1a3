#pragma once

#include "platform/kernel.h"

namespace kestrix::device {

// Closes `handle` when one is open and sets it to 0.
inline void CloseHandleIfOpen(platform::Kernel& kernel, platform::Handle& handle) {
    if (handle != 0 && handle != platform::InvalidHandleValue) kernel.CloseHandle(handle);
    handle = 0;
}

}  // namespace kestrix::device
