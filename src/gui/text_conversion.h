#pragma once

#include <QString>
#include <string>

namespace kestrix::gui {

// The tool's texts are single-byte strings that may hold any byte a device sent. Each byte
// is shown as the Latin-1 character of the same value, so nothing is lost either way.
[[nodiscard]] inline QString ToQt(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

[[nodiscard]] inline std::string FromQt(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace kestrix::gui
