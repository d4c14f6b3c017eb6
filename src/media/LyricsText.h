#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

namespace yk {

// A lyrics file read once, answering which line shows at a playing time.
//
// Lines take one of three forms; every other line is ignored:
//   [mm:ss]text                    the text belongs to second mm:ss
//   [mm:ss.cc]text                 ... to mm:ss plus cc hundredths
//   [mm:ss.cc]te[mm:ss.cc]xt[mm:ss.cc]  the text without its tags, at the first tag
// A field "forms a number" when its two characters read as one (" 5" and
// "5." do); the character between seconds and hundredths may be anything
// but "]", and the one closing the long tag is not looked at.
//
// Times are compared as text keys, the way the elapsed label spells them:
// a [mm:ss] line shows only during its own second, a [mm:ss.cc] line from
// its hundredth to the end of that second, and the file is read top down
// up to the first line still in the future. So a line meant to stay up
// until the next one must be repeated, and lines out of order hide the
// ones after them. Lines of the same second that both apply: a plain line
// replaces the shown text, a line with a closing tag adds to it.
class LyricsText
{
public:
    LyricsText() = default;
    static LyricsText parse(QStringView text);
    // Reads a file as the program reads every text file (UTF-8 or CP932);
    // an unreadable or oversized file gives no lines.
    static LyricsText load(const QString& path);

    // The line due at `positionMs` of the track; empty when none.
    QString lineAt(qint64 positionMs) const;
    // The same for an elapsed label as the player shows it ("03:07.25",
    // or "00:00" at the start).
    QString lineForLabel(QStringView label) const;

    // Lines in one of the three forms.
    qsizetype timedLineCount() const { return m_lines.size(); }

private:
    enum class Kind { Second, Hundredth, Closing };
    struct Line
    {
        Kind kind = Kind::Second;
        QString text;    // shown text; a Closing line's text without tags
        QString stopKey; // past the clock key: reading stops here
    };

    // Timed lines in file order, and the running maximum of their stop keys:
    // the first line whose key is past the clock is found by binary search.
    QList<Line> m_lines;
    QList<QString> m_stopMax;
    // Lines by their minutes-and-seconds key: only these can show at a time.
    QHash<QString, QList<qsizetype>> m_bySecond;

    // The last answer, by its key: the label changes ten times a second,
    // the answer rarely.
    mutable QString m_cachedKey;
    mutable QString m_cachedLine;
};

} // namespace yk
