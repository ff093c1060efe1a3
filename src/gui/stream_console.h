#pragma once

#include <ostream>
#include <string_view>

#include "platform/console.h"

namespace kestrix::gui {

// The tool's standard output, written to a stream.
class StreamConsole : public platform::Console {
  public:
    explicit StreamConsole(std::ostream& out) : out_(out) {}
    void WriteStdout(std::string_view text) override { out_ << text << std::flush; }

  private:
    std::ostream& out_;
};

}  // namespace kestrix::gui
