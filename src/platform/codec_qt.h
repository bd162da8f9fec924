#pragma once
// The CP932 codec at the widget boundary: widgets hold QString, the program holds
// Shift-JIS bytes. Paths are in the file system's encoding, not Shift-JIS.

#include <QString>
#include <string>
#include <string_view>

#include "core/error.h"

namespace kt::ui {

// Shift-JIS bytes for display. Line breaks are left as they are.
QString FromSjis(std::string_view sjis);
// Text read back from a widget; a character CP932 cannot hold becomes '?'.
std::string ToSjis(const QString& text);
// The same text with every character CP932 cannot hold made '?'.
QString MakeRepresentable(const QString& text);

QString FromPath(const std::string& path);
std::string ToPath(const QString& path);

// An error's message with each piece decoded from its own encoding.
QString MessageText(const kt::Error& error);

}  // namespace kt::ui
