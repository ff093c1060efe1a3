#pragma once

#include <cstdint>

#include "device/device_context.h"

namespace kestrix::device {

// Checks that the device answering at (adapter, target) is still the device of the selected
// record: its inquiry must match the record's inquiry texts and its device information must
// carry the same identity. 0 when it is the same device, 1 otherwise. Only a failed
// information read is reported (in a message box); a different device returns 1 silently.
// The table and the configured identities are left as they were. ASPI is loaded by the
// caller.
[[nodiscard]] std::uint8_t ReidentifyAspiDevice(DeviceContext& context, std::uint8_t adapter,
                                                std::uint8_t target);

}  // namespace kestrix::device
