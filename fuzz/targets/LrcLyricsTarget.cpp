#include "FuzzTargets.h"
#include "LyricsChecks.h"

#include "platform/TextFile.h"

namespace yk::fuzz {

int fuzzLrcLyrics(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = textfile::decode(bytes);
    const LyricsText lyrics = LyricsText::parseLrc(text);
    checkAnswers(lyrics, LyricsText::parseLrc(text));

    // A second later with a negative offset: every line, and nothing
    // before the first second (unless the file sets an offset of its own).
    if (!text.contains(QStringLiteral("offset"), Qt::CaseInsensitive)) {
        const LyricsText later = LyricsText::parseLrc(QStringLiteral("[offset:-1000]\n") + text);
        for (const qint64 ms : lyricsProbeTimes())
            YK_FUZZ_CHECK(later.lineAt(ms) == (ms < 1000 ? QString() : lyrics.lineAt(ms - 1000)));
    }

    checkLoadedAlike(bytes, QStringLiteral("song.lrc"), lyrics);
    return 0;
}

} // namespace yk::fuzz
