#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/win32_types.h"

namespace kestrix::platform {

// Registry reads. Results are Win32 error codes (ErrorSuccess = 0).
class Registry {
  public:
    virtual ~Registry() = default;

    [[nodiscard]] virtual std::int32_t RegOpenKeyExA(RegKey root, std::string_view subKey,
                                                     std::uint32_t desiredAccess,
                                                     RegKey& result) = 0;

    // Copies the value's bytes into `data` (at most data.size()); `dataLength` receives the
    // value's full length.
    [[nodiscard]] virtual std::int32_t RegQueryValueExA(RegKey key, std::string_view valueName,
                                                        std::span<std::uint8_t> data,
                                                        std::uint32_t& dataLength) = 0;

    virtual std::int32_t RegCloseKey(RegKey key) = 0;
};

}  // namespace kestrix::platform
