#include "cli/event_printer.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/text_encoding.h"

namespace kestrix::cli {

namespace {

using Kind = platform::WindowEvent::Kind;
using json = nlohmann::ordered_json;

const char* IconName(platform::MessageIcon icon) {
    switch (icon) {
        case platform::MessageIcon::Error:
            return "error";
        case platform::MessageIcon::Information:
            return "information";
        case platform::MessageIcon::None:
            break;
    }
    return "none";
}

const char* ResultName(platform::DialogResult result) {
    return result == platform::DialogResult::Ok ? "IDOK" : "IDCANCEL";
}

std::string Dump(const json& object) {
    return object.dump();
}

json ToJson(const platform::WindowEvent& event) {
    switch (event.kind) {
        case Kind::MessageBox:
            return {{"event", "messagebox"},
                    {"caption", AnsiToUtf8(event.caption)},
                    {"icon", IconName(event.icon)},
                    {"text", AnsiToUtf8(event.text)}};
        case Kind::SetText:
            return {{"event", "settext"},
                    {"dialog", event.dialog},
                    {"control", event.control},
                    {"text", AnsiToUtf8(event.text)}};
        case Kind::Combo: {
            json object = {{"event", "combo"}, {"control", event.control}, {"op", event.op}};
            if (event.op == "add") object["text"] = AnsiToUtf8(event.text);
            if (event.op == "select") object["index"] = event.index;
            return object;
        }
        case Kind::Window:
            return {{"event", "window"}, {"dialog", event.dialog}, {"op", event.op}};
        case Kind::Progress: {
            json object = {{"event", "progress"}, {"op", event.op}};
            if (event.op == "range") {
                object["low"] = event.low;
                object["high"] = event.high;
            } else if (event.op == "step") {
                object["step"] = event.step;
            } else {
                object["pos"] = event.position;
            }
            return object;
        }
        case Kind::End:
            return {{"event", "end"}, {"result", ResultName(event.result)}};
    }
    return {};
}

void PrintFramed(std::ostream& out, const std::string& title, const std::string& text) {
    out << "+-- " << title << " " << std::string(title.size() < 60 ? 60 - title.size() : 0, '-')
        << "\n";
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) out << "| " << line << "\n";
    out << "+" << std::string(64, '-') << "\n";
}

}  // namespace

void EventPrinter::OnWindowEvent(const platform::WindowEvent& event) {
    if (json_) {
        out_ << Dump(ToJson(event)) << "\n";
    } else {
        PrintTranscript(event);
    }
    out_.flush();
}

void EventPrinter::PrintTranscript(const platform::WindowEvent& event) {
    switch (event.kind) {
        case Kind::MessageBox: {
            std::string title = event.caption;
            if (event.icon != platform::MessageIcon::None) {
                title += std::string(" [") + IconName(event.icon) + "]";
            }
            PrintFramed(out_, title, event.text);
            break;
        }
        case Kind::SetText:
            if (event.dialog == 102 && event.control == 1021) {
                PrintFramed(out_, "Report", event.text);
            } else if (event.dialog == 102 && event.control == 1024) {
                out_ << "Device Name : " << event.text << "\n";
            } else if (event.dialog == 102 && event.control == 1028) {
                out_ << "Driver Select label : " << event.text << "\n";
            } else if (event.dialog == 131) {
                out_ << "[status] " << event.text << "\n";
            }
            break;
        case Kind::Combo:
            if (event.op == "add") {
                out_ << (event.control == 1030 ? "Device Sel" : "Driver Select")
                     << " entry : " << event.text << "\n";
            }
            break;
        case Kind::Window:
            if (event.dialog == 131 && event.op != "create") {
                out_ << "[status dialog " << (event.op == "show" ? "shown" : "hidden") << "]\n";
            }
            break;
        case Kind::Progress:
            if (event.op == "stepit") out_ << "[progress " << event.position << "]\n";
            break;
        case Kind::End:
            out_ << "Dialog ended: " << ResultName(event.result) << "\n";
            break;
    }
}

void EventPrinter::OnStdout(std::string_view text) {
    if (json_) {
        out_ << Dump({{"event", "stdout"}, {"text", AnsiToUtf8(text)}}) << "\n";
    } else {
        out_ << text;
    }
    out_.flush();
}

void EventPrinter::OnAction(const std::string& name) {
    if (json_) {
        out_ << Dump({{"event", "action"}, {"name", AnsiToUtf8(name)}}) << "\n";
    } else {
        out_ << "> " << name << "\n";
    }
    out_.flush();
}

void EventPrinter::OnNotice(const std::string& text) {
    if (json_) {
        out_ << Dump({{"event", "notice"}, {"text", AnsiToUtf8(text)}}) << "\n";
    } else {
        out_ << "(" << text << ")\n";
    }
    out_.flush();
}

}  // namespace kestrix::cli
