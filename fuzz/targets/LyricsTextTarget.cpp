#include "FuzzTargets.h"
#include "LyricsChecks.h"

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

    checkLoadedAlike(bytes, QStringLiteral("song.txt"), lyrics);
    return 0;
}

} // namespace yk::fuzz
