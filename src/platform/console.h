#pragma once

#include <string_view>

namespace kestrix::platform {

// The process's standard output.
class Console {
  public:
    virtual ~Console() = default;
    virtual void WriteStdout(std::string_view text) = 0;
};

}  // namespace kestrix::platform
