#pragma once

#include <QString>

namespace yk {

// Longest piece of outside text put into one mascot script, counted after
// escaping.
inline constexpr int kMaxScriptTextLength = 200;

// Makes text read from files (titles, artists, tag fields) safe to insert
// into a mascot script: drops control characters, escapes "\" and "%", and
// cuts the result to kMaxScriptTextLength characters. Without this a tag
// such as "\![open,file,...]" or "%username" hidden in a title would make
// the mascot act on it. The program's own script texts are never escaped.
QString escapeScriptText(const QString& text);

} // namespace yk
