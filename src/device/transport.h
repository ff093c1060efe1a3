#pragma once

#include "core/app_state.h"

namespace kestrix::device {

enum class Transport { PassThrough, SelfDriver, Aspi, PortDriverA, PortDriverB };

// Which transport serves the device, decided anew on every call from the system kind,
// the self-driver setting and the port-driver dialect.
[[nodiscard]] Transport SelectTransport(const core::AppState& app);

}  // namespace kestrix::device
