#pragma once

#include "platform/address_space.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/kernel.h"
#include "platform/modules.h"
#include "platform/registry.h"
#include "platform/window.h"

namespace kestrix::platform {

// Everything the logic reaches of the machine it runs on. A front end or a test assembles
// one from a host implementation (the simulated host, later real ones) and a window.
struct Host {
    Kernel& kernel;
    Registry& registry;
    Modules& modules;
    Clock& clock;
    Console& console;
    Window& window;
    AddressSpace& memory;
};

}  // namespace kestrix::platform
