#include "FuzzTargets.h"
#include "ScratchFolder.h"

#include <QStringList>
#include <QtEndian>

#include "media/TrackTags.h"

namespace yk::fuzz {
namespace {

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

// An MP3 of nothing but an ID3v2.3 tag whose title frame holds `text`
// declared Latin-1.
QByteArray mp3WithLatin1Title(const QByteArray& text)
{
    QByteArray frame("TIT2");
    char size[4];
    qToBigEndian(quint32(text.size() + 1), size);
    frame.append(size, 4).append(2, '\0').append('\0').append(text);
    QByteArray tag("ID3\x03\x00\x00", 6);
    const quint32 n = quint32(frame.size());
    for (int shift : {21, 14, 7, 0})
        tag.append(char((n >> shift) & 0x7F)); // synchsafe
    return tag + frame;
}

void checkInfo(const tags::TrackInfo& info)
{
    YK_FUZZ_CHECK(info.lengthMs >= 0);
    YK_FUZZ_CHECK(info.year >= 0 && info.year <= 9999);
    YK_FUZZ_CHECK(info.trackNumber >= 0 && info.trackNumber <= 9999);
    const bool anyText = !info.title.isEmpty() || !info.artist.isEmpty() || !info.albumArtist.isEmpty()
                         || !info.album.isEmpty() || !info.genre.isEmpty() || !info.comment.isEmpty();
    YK_FUZZ_CHECK(info.hasTag == (anyText || info.year > 0 || info.trackNumber > 0));
}

} // namespace

int fuzzTrackTags(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // The rule for mislabelled Latin-1: ASCII and valid UTF-8 keep every
    // character; a CP932 reading is taken only when it is whole; anything
    // else is Latin-1, one character a byte.
    const QString text = tags::decodeLatin1Frame(bytes);
    if (isAscii(bytes) || QByteArrayView(bytes).isValidUtf8())
        YK_FUZZ_CHECK(text.toUtf8() == bytes);
    else if (text != QString::fromLatin1(bytes))
        YK_FUZZ_CHECK(!text.contains(QChar::ReplacementCharacter));

    // The same bytes as a title frame, through TagLib and the handler it
    // was given: the pieces between NULs, each decoded by the rule.
    const QString mp3 = scratchPath(QStringLiteral("latin1.mp3"));
    writeAll(mp3, mp3WithLatin1Title(bytes));
    const std::optional<tags::TrackInfo> tagged = tags::readTrackInfo(mp3);
    YK_FUZZ_CHECK(tagged.has_value());
    QStringList pieces;
    for (const QByteArray& piece : bytes.split('\0')) {
        if (!piece.isEmpty())
            pieces.append(tags::decodeLatin1Frame(piece));
    }
    YK_FUZZ_CHECK(tagged->title == pieces.join(u' ').trimmed());
    checkInfo(*tagged);

    // The bytes as a whole file of each kind the player reads tags from:
    // whatever they hold, the read ends, and what it gives is sound.
    for (const char* ending : {"mp3", "flac", "ogg", "opus", "m4a", "wma", "wav", "mid"}) {
        const QString path = scratchPath(QStringLiteral("track.") + QLatin1String(ending));
        writeAll(path, bytes);
        if (const std::optional<tags::TrackInfo> info = tags::readTrackInfo(path))
            checkInfo(*info);
    }
    return 0;
}

} // namespace yk::fuzz
