#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/window_model.h"

namespace kestrix::cli {

// Writes what the dialog does to the front end's output: one JSON object per line, or a
// transcript a person can read.
class EventPrinter {
  public:
    EventPrinter(std::ostream& out, bool json) : out_(out), json_(json) {}

    void OnWindowEvent(const platform::WindowEvent& event);
    void OnStdout(std::string_view text);
    void OnAction(const std::string& name);
    void OnNotice(const std::string& text);  // a front-end remark, e.g. an entry not found

  private:
    void PrintTranscript(const platform::WindowEvent& event);

    std::ostream& out_;
    bool json_;
};

// The tool's standard output, routed through the printer.
class PrinterConsole : public platform::Console {
  public:
    explicit PrinterConsole(EventPrinter& printer) : printer_(printer) {}
    void WriteStdout(std::string_view text) override { printer_.OnStdout(text); }

  private:
    EventPrinter& printer_;
};

}  // namespace kestrix::cli
