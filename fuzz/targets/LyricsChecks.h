#pragma once

// What holds for every line lyrics answer with, whatever the file: shared by
// the two lyrics targets.

#include <QList>
#include <QString>

#include "FuzzTargets.h"
#include "ScratchFolder.h"
#include "media/LyricsScript.h"
#include "media/LyricsText.h"

namespace yk::fuzz {

// The first twelve seconds, and the far end of the track.
inline QList<qint64> lyricsProbeTimes()
{
    QList<qint64> times;
    for (qint64 ms = 0; ms <= 12'000; ms += 20)
        times.append(ms);
    times << 60'000 << 3'599'990 << 5'999'990 << 6'000'000 << 3'600'000'000;
    return times;
}

// The line is short, and the script it makes runs none of the mascot's
// commands but who speaks, surfaces, breaks and pauses.
inline void checkShownLine(const QString& line)
{
    YK_FUZZ_CHECK(line.size() <= LyricsText::kMaxLineLength);
    const QString script = lyricsMascotScript(line);
    YK_FUZZ_CHECK(script.size() <= kMaxLyricsScriptLength);
    const auto isDigit = [&](qsizetype i) { return i < script.size() && script[i] >= u'0' && script[i] <= u'9'; };
    for (qsizetype i = 0; i < script.size(); ++i) {
        YK_FUZZ_CHECK(script[i] != u'%');
        if (script[i] != u'\\')
            continue;
        YK_FUZZ_CHECK(i + 1 < script.size());
        const QChar c = script[++i];
        if (c == u'w') {
            YK_FUZZ_CHECK(isDigit(i + 1) && script[i + 1] != u'0');
            ++i;
        } else if (c == u's' && isDigit(i + 1)) {
            ++i;
        } else if (c == u's') {
            YK_FUZZ_CHECK(i + 1 < script.size() && script[i + 1] == u'[');
            i += script.size() > i + 2 && script[i + 2] == u'-' ? 3 : 2;
            YK_FUZZ_CHECK(isDigit(i));
            while (isDigit(i))
                ++i;
            YK_FUZZ_CHECK(i < script.size() && script[i] == u']');
        } else {
            YK_FUZZ_CHECK(QStringView(u"hu01n\\%").contains(c));
        }
    }
}

// Every answer checked, and the same whichever answers came before it (the
// answer is kept between calls).
inline void checkAnswers(const LyricsText& forward, const LyricsText& backward)
{
    const QList<qint64> times = lyricsProbeTimes();
    QList<QString> answers;
    for (const qint64 ms : times) {
        answers.append(forward.lineAt(ms));
        if (answers.size() == 1 || answers.last() != answers[answers.size() - 2])
            checkShownLine(answers.last());
    }
    for (qsizetype i = times.size() - 1; i >= 0; --i)
        YK_FUZZ_CHECK(backward.lineAt(times[i]) == answers[i]);
}

// The same bytes read back from a file called `name` give the same lines.
inline void checkLoadedAlike(const QByteArray& bytes, const QString& name, const LyricsText& lyrics)
{
    const QString path = scratchPath(name);
    writeAll(path, bytes);
    const LyricsText loaded = LyricsText::load(path);
    for (const qint64 ms : lyricsProbeTimes())
        YK_FUZZ_CHECK(loaded.lineAt(ms) == lyrics.lineAt(ms));
}

} // namespace yk::fuzz
