#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace yk {

// Lyrics read once, answering which line shows at a playing time. They come
// in one of two forms.
//
// The classic form (".txt" files) takes lines of three kinds; every other
// line is ignored:
//   [mm:ss]text                    the text belongs to second mm:ss
//   [mm:ss.cc]text                 ... to mm:ss plus cc hundredths
//   [mm:ss.cc]te[mm:ss.cc]xt[mm:ss.cc]  the text without its tags, at the first tag
// A field "forms a number" when its two characters read as one: "05",
// " 5", "+5" and "5 " or "5." are 5, "-5" is minus 5; ".5" is not a whole
// number and makes the stamp malformed, as do seconds of 60 or more. The
// character between seconds and hundredths may be anything but "]", and
// the one closing the long tag is not looked at. A stamp before the start
// of the track (minus one minute) is due at the start.
//
// The file was once read top down on every refresh, and its lines keep the
// rules of that reading: a [mm:ss] line shows only during its own second,
// a [mm:ss.cc] line from its hundredth to the end of that second, and the
// reading stops at the first line still in the future. So a line meant to
// stay up until the next one must be repeated, and lines out of order hide
// the ones after them. Lines of the same second that both apply: a plain
// line replaces the shown text, a line with a closing tag adds to it.
// Stamps are compared as times; a malformed one hides nothing but itself.
//
// The LRC form (".lrc" files and lyrics kept in tags): each line starts
// with one or more stamps, [mm:ss], [mm:ss.xx] or [mm:ss.xxx] ("[00:12.00]
// [01:40.00]text" is sung twice), and stays up until the next line's time,
// whatever order the lines are written in. "[offset:+ms]" moves every line
// that much earlier (a negative offset, later). Header lines ([ar:], [ti:],
// [al:], [by:], [length:] ...) and lines without a stamp are not shown;
// word stamps ("<00:12.50>" or "[00:12.50]" inside the text) are dropped and
// the whole line shows at once. Lyrics without a single stamp have no timed
// lines at all.
//
// A shown line is at most kMaxLineLength long, however long the file's
// line is or however many lines of one second join up.
class LyricsText
{
public:
    static constexpr qsizetype kMaxLineLength = 500;

    LyricsText() = default;
    // The classic form.
    static LyricsText parse(QStringView text);
    static LyricsText parseLrc(QStringView text);
    // Reads a file as the program reads every text file (UTF-8 or CP932), in
    // the LRC form when its name ends in ".lrc", else in the classic form; an
    // unreadable or oversized file gives no lines.
    static LyricsText load(const QString& path);

    // The line due at `positionMs` of the track; empty when none.
    QString lineAt(qint64 positionMs) const;
    // The same for an elapsed label as the player shows it ("03:07.25",
    // or "00:00" at the start).
    QString lineForLabel(QStringView label) const;

    // Times a line is due at: classic lines in one of the three forms, LRC
    // stamps.
    qsizetype timedLineCount() const { return m_lines.size(); }

private:
    enum class Kind : quint8 { Second, Hundredth, Closing };
    // Kept small: a file of nothing but stamps has a line every few bytes.
    struct Line
    {
        qint32 time = 0;    // classic: hundredths of a second; LRC: milliseconds
        quint32 start = 0;  // of its text in m_chars
        quint32 length : 30 = 0;
        quint32 kind : 2 = 0;
    };

    quint32 addText(QStringView text);
    QString textOf(const Line& line) const;
    QString classicLine(qint64 hundredths) const;
    QString lrcLine(qint64 ms) const;

    bool m_lrc = false;
    // Every line's text, one after another.
    QString m_chars;
    // Classic: in file order. LRC: by time, file order among equal times.
    QList<Line> m_lines;
    // Classic only. The running maximum of the lines' times: reading stops at
    // the first line past the clock, found by binary search.
    QList<qint32> m_stopMax;
    // Classic only. Lines that replace the shown text and lines that add to
    // it, each by second and then in file order: only lines of the clock's
    // own second can show.
    QList<quint32> m_replacing;
    QList<quint32> m_adding;

    // The last answer, by its time: the clock changes every few
    // milliseconds, the answer rarely.
    mutable qint64 m_cachedKey = -1;
    mutable QString m_cachedLine;
};

} // namespace yk
