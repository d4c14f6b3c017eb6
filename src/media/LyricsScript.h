#pragma once

#include <QString>

#include "core/ScriptEscape.h"

namespace yk {

// The mascot script that speaks one lyric line: a line break, a short
// pause, the line. A line that starts with "\" carries its own leading
// script (up to its first double-byte character, as Shift-JIS counts
// them): "\h\s[5]ラララ" is spoken by the main character with surface 5.
//
// Lines come from files anyone may hand out, so of that leading script only
// the commands that change who speaks, the surface, line breaks and pauses
// reach the mascot: \s[n] \s0-\s9 \h \u \0 \1 \n \w1-\w9 (and the escaped
// \\ and \%). Every other command (\! \j \- \q \_a \e ...) and every bare %
// is escaped so that it shows as text; the rest of the line is escaped as
// all text from files is. No closing "\e": the mascot ends the script.
//
// Only the first kMaxLyricsScriptScan UTF-16 units of the line are looked
// at, and each of the two parts is cut as text from files is (the leading
// script at whole commands), so a script stays short however long the line:
// at most kMaxLyricsScriptLength UTF-16 units.
inline constexpr qsizetype kMaxLyricsScriptScan = 1000;
inline constexpr qsizetype kMaxLyricsScriptLength = 3 * kMaxScriptTextLength + 5;
QString lyricsMascotScript(const QString& line);

// True when `c` (a whole character) takes two bytes in Shift-JIS (CP932).
bool isDoubleByte(QStringView c);

} // namespace yk
