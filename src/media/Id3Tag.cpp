#include "media/Id3Tag.h"

#include <QFile>
#include <QFileInfo>

#include "platform/TextFile.h"

using namespace Qt::Literals::StringLiterals;

namespace yk::id3 {
namespace {

constexpr int kTitleAt = 3;
constexpr int kArtistAt = kTitleAt + kTitleWidth;
constexpr int kAlbumAt = kArtistAt + kArtistWidth;
constexpr int kYearAt = kAlbumAt + kAlbumWidth;
constexpr int kCommentAt = kYearAt + kYearWidth;
constexpr int kGenreAt = kCommentAt + kCommentWidth;
static_assert(kGenreAt == kTagSize - 1);
constexpr int kTrackAt = kGenreAt - 1;

// The genre bytes 0..147 are list entries of the same number; the five
// Japanese genres sit at the top of the byte range.
constexpr int kCommonGenres = 148;
constexpr int kFirstJapaneseByte = 251;

// A CP932 byte that opens a double-byte character.
bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

QString trimSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin).toString();
}

} // namespace

QString decodeField(QByteArrayView bytes)
{
    // NUL is never the second byte of a CP932 character, so cutting the raw
    // bytes cuts the text at its first NUL.
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes = bytes.first(nul);
    return trimSpaces(cp932::decode(bytes.toByteArray()));
}

QByteArray encodeField(const QString& text, int width)
{
    QByteArray bytes = cp932::encode(text);
    qsizetype end = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype step = isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + step > width)
            break;
        i += step;
        end = i;
    }
    bytes.truncate(end);
    bytes.append(width - bytes.size(), ' ');
    return bytes;
}

QString fittedText(const QString& text, int width)
{
    return cp932::decode(encodeField(text, width));
}

std::optional<Tag> parseTag(QByteArrayView block)
{
    if (block.size() != kTagSize || !block.startsWith("TAG"))
        return std::nullopt;
    Tag tag;
    tag.title = decodeField(block.sliced(kTitleAt, kTitleWidth));
    tag.artist = decodeField(block.sliced(kArtistAt, kArtistWidth));
    tag.album = decodeField(block.sliced(kAlbumAt, kAlbumWidth));
    tag.year = decodeField(block.sliced(kYearAt, kYearWidth));
    tag.comment = decodeField(block.sliced(kCommentAt, kCommentWidth));
    tag.genre = static_cast<quint8>(block[kGenreAt]);
    if (block[kTrackAt - 1] == '\0')
        tag.track = static_cast<quint8>(block[kTrackAt]);
    return tag;
}

QByteArray tagBlock(const Tag& tag)
{
    QByteArray block = QByteArrayLiteral("TAG");
    block.reserve(kTagSize);
    block += encodeField(tag.title, kTitleWidth);
    block += encodeField(tag.artist, kArtistWidth);
    block += encodeField(tag.album, kAlbumWidth);
    block += encodeField(tag.year, kYearWidth);
    QByteArray comment = encodeField(tag.comment, kCommentWidth);
    if (tag.track != 0) {
        // Room behind the comment's text, not behind its padding.
        qsizetype used = comment.size();
        while (used > 0 && comment[used - 1] == ' ')
            --used;
        if (used <= kCommentWithTrackWidth) {
            comment.truncate(kCommentWithTrackWidth);
            comment += '\0';
            comment += static_cast<char>(tag.track);
        }
    }
    block += comment;
    block += static_cast<char>(tag.genre);
    return block;
}

std::optional<Tag> readTag(const QString& path)
{
    if (path.trimmed().isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    if (size < kTagSize || !file.seek(size - kTagSize))
        return std::nullopt;
    const QByteArray block = file.read(kTagSize);
    return parseTag(block);
}

const QStringList& genreNames()
{
    static const QStringList names{
        u"Blues"_s, u"Classic Rock"_s, u"Country"_s, u"Dance"_s, u"Disco"_s, u"Funk"_s,
        u"Grunge"_s, u"Hip-Hop"_s, u"Jazz"_s, u"Metal"_s, u"New Age"_s, u"Oldies"_s,
        u"Other"_s, u"Pop"_s, u"R&B"_s, u"Rap"_s, u"Reggae"_s, u"Rock"_s, u"Techno"_s,
        u"Industrial"_s, u"Alternative"_s, u"Ska"_s, u"Death Metal"_s, u"Pranks"_s,
        u"Soundtrack"_s, u"Euro-tecno"_s, u"Ambient"_s, u"Trip-Hop"_s, u"Vocal"_s,
        u"Jazz+Funk"_s, u"Fusion"_s, u"Trance"_s, u"Classical"_s, u"Instrumental"_s,
        u"Acid"_s, u"House"_s, u"Game"_s, u"Sound Clip"_s, u"Gospel"_s, u"Noise"_s,
        u"AlternRock"_s, u"Bass"_s, u"Soul"_s, u"Punk"_s, u"Space"_s, u"Meditative"_s,
        u"Instrumental Pop"_s, u"Instrumental Rock"_s, u"Ethnic"_s, u"Gothic"_s,
        u"Darkwave"_s, u"Techno-Industrial"_s, u"Electronic"_s, u"Pop-Folk"_s, u"Eurodance"_s,
        u"Dream"_s, u"Southern Rock"_s, u"Comedy"_s, u"Cult"_s, u"Gangsta"_s, u"Top 40"_s,
        u"Christian Rap"_s, u"Pop/Funk"_s, u"Jungle"_s, u"Native American"_s, u"Cabaret"_s,
        u"New Wave"_s, u"Psychadelic"_s, u"Rave"_s, u"Showtunes"_s, u"Trailer"_s, u"Lo-Fi"_s,
        u"Tribal"_s, u"Acid Punk"_s, u"Acid Jazz"_s, u"Polka"_s, u"Retro"_s, u"Musical"_s,
        u"Rock & Roll"_s, u"Hard Rock"_s, u"Folk"_s, u"Folk/Rock"_s, u"National Folk"_s,
        u"Swing"_s, u"Fast-Fusion"_s, u"Bedob"_s, u"Latin"_s, u"Revival"_s, u"Celitic"_s,
        u"Bluegrass"_s, u"Avantagarde"_s, u"Gothic Rock"_s, u"Progressive Rock"_s,
        u"Psychadelic Rock"_s, u"Symphonic Rock"_s, u"Slow Rock"_s, u"Big band"_s,
        u"Chorus"_s, u"Easy Listening"_s, u"Acoustic"_s, u"Humour"_s, u"SpeechChanson"_s,
        u"Chanson"_s, u"Opera"_s, u"Chamber Music"_s, u"Sonata"_s, u"Symphony"_s,
        u"Booty Bass"_s, u"Primus"_s, u"Porn Groove"_s, u"Satire"_s, u"Slow Jam"_s,
        u"Club"_s, u"Tango"_s, u"Samba"_s, u"Folklore"_s, u"Ballad"_s, u"Power Ballad"_s,
        u"Rhytmic Soul"_s, u"Freestyle"_s, u"Duet"_s, u"Punk Rock"_s, u"Drum Solo"_s,
        u"Acapella"_s, u"Euro-House"_s, u"Dance Hall"_s, u"Goa"_s, u"Dram & Bass"_s,
        u"Club-House"_s, u"Hardcore"_s, u"Terror"_s, u"Indie"_s, u"BritPop"_s,
        u"Negerpunk"_s, u"Polsk Punk"_s, u"Beat"_s, u"Chiristian Gangsta Rap"_s,
        u"Heavy Metal"_s, u"Black Metal"_s, u"Crossover"_s, u"Contemporary Christian"_s,
        u"Christian Rock"_s, u"Merengue"_s, u"Salsa"_s, u"Thrash Metal"_s, u"Anime"_s,
        u"JPop"_s, u"Synthpop"_s, u"Seiyu(J)"_s, u"Tecno Anbient(J)"_s, u"Moemoe(J)"_s,
        u"Tokusatsu(J)"_s, u"Anime(J)"_s
    };
    return names;
}

int genreIndexForByte(quint8 genre)
{
    if (genre < kCommonGenres)
        return genre;
    if (genre >= kFirstJapaneseByte)
        return kCommonGenres + (genre - kFirstJapaneseByte);
    return -1;
}

std::optional<quint8> genreByteForName(const QString& name)
{
    const QStringList& names = genreNames();
    for (int i = 0; i < kCommonGenres; ++i) {
        if (names[i] == name)
            return static_cast<quint8>(i);
    }
    for (int i = kCommonGenres; i < names.size(); ++i) {
        if (names[i] == name)
            return static_cast<quint8>(kFirstJapaneseByte + (i - kCommonGenres));
    }
    return std::nullopt;
}

QString trackName(const QString& path, const std::optional<Tag>& tag)
{
    if (tag && !tag->title.isEmpty())
        return tag->title;
    const QString file = QFileInfo(path).fileName();
    return file.left(qMax(0, file.size() - 4));
}

} // namespace yk::id3
