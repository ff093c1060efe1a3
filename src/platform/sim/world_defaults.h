#pragma once

#include <cstdint>

#include "platform/sim/world.h"

namespace kestrix::sim {

inline constexpr std::uint8_t MaxAspiTarget = 7;

// Gives every reader without drive letters the next free letter from E: on, and every
// reader without an ASPI address the next free targets on adapter 0. Leaves what the world
// states as it is.
void FillWorldDefaults(World& world);

}  // namespace kestrix::sim
