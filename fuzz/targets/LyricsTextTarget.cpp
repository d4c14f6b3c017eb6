#include "FuzzTargets.h"
#include "LyricsChecks.h"
#include "ScratchFolder.h"

#include "platform/TextFile.h"

namespace yk::fuzz {

int fuzzLyricsText(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = textfile::decode(bytes);
    const LyricsText lyrics = LyricsText::parse(text);
    checkAnswers(lyrics, LyricsText::parse(text));
    // At most one timed line per line of the file.
    YK_FUZZ_CHECK(lyrics.timedLineCount() <= textfile::splitLines(text).size());

    // Read from a file, the same lines.
    const QString path = scratchPath(QStringLiteral("song.txt"));
    writeAll(path, bytes);
    const LyricsText loaded = LyricsText::load(path);
    for (const qint64 ms : lyricsProbeTimes())
        YK_FUZZ_CHECK(loaded.lineAt(ms) == lyrics.lineAt(ms));
    return 0;
}

} // namespace yk::fuzz
