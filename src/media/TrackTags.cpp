#include "media/TrackTags.h"

#include <algorithm>
#include <mutex>

#include <QFile>
#include <QFileInfo>

#include <apetag.h>
#include <asffile.h>
#include <fileref.h>
#include <flacfile.h>
#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <opusfile.h>
#include <tfilestream.h>
#include <tpropertymap.h>
#include <vorbisfile.h>
#include <xiphcomment.h>

#include "media/Id3Tag.h"
#include "media/MediaFormats.h"
#include "platform/TextFile.h"

namespace yk::tags {

namespace {

QString toQString(const TagLib::String& s)
{
    const std::string utf8 = s.to8Bit(true);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

TagLib::String toTagLib(const QString& s)
{
    const QByteArray utf8 = s.toUtf8();
    return TagLib::String(TagLib::ByteVector(utf8.constData(), unsigned(utf8.size())), TagLib::String::UTF8);
}

QByteArrayView viewOf(const TagLib::ByteVector& data)
{
    return QByteArrayView(data.data(), qsizetype(data.size()));
}

// ID3v1 fields as the tag editor reads and writes them: CP932, cut at the
// first NUL, spaces trimmed at both ends.
class Cp932Id3v1Handler final : public TagLib::ID3v1::StringHandler
{
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override
    {
        return toTagLib(id3::decodeField(viewOf(data)));
    }
    TagLib::ByteVector render(const TagLib::String& s) const override
    {
        const QByteArray bytes = cp932::encode(toQString(s));
        return TagLib::ByteVector(bytes.constData(), unsigned(bytes.size()));
    }
};

class MislabelledLatin1Handler final : public TagLib::ID3v2::Latin1StringHandler
{
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override
    {
        return toTagLib(decodeLatin1Frame(viewOf(data)));
    }
};

QString firstOf(const TagLib::StringList& list)
{
    return list.isEmpty() ? QString() : toQString(list.front()).trimmed();
}

QString fieldOf(const TagLib::Ogg::XiphComment* xiph)
{
    if (!xiph)
        return {};
    const TagLib::Ogg::FieldListMap& fields = xiph->fieldListMap();
    for (const char* key : {"ALBUMARTIST", "ALBUM ARTIST"}) {
        const auto it = fields.find(key);
        if (it != fields.end() && !it->second.isEmpty())
            return firstOf(it->second);
    }
    return {};
}

QString albumArtistOf(const TagLib::ID3v2::Tag* id3v2)
{
    if (!id3v2)
        return {};
    const TagLib::ID3v2::FrameList& frames = id3v2->frameList("TPE2");
    return frames.isEmpty() ? QString() : toQString(frames.front()->toString()).trimmed();
}

QString albumArtistOf(const TagLib::APE::Tag* ape)
{
    if (!ape)
        return {};
    const TagLib::APE::ItemListMap& items = ape->itemListMap();
    for (const char* key : {"ALBUM ARTIST", "ALBUMARTIST"}) {
        const auto it = items.find(key);
        if (it != items.end() && !it->second.isEmpty())
            return firstOf(it->second.values());
    }
    return {};
}

// The album artist lives in a field of each format's own: no common tag
// interface names it.
QString albumArtistOf(TagLib::File* file)
{
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
        QString name = mpeg->hasID3v2Tag() ? albumArtistOf(mpeg->ID3v2Tag()) : QString();
        if (name.isEmpty() && mpeg->hasAPETag())
            name = albumArtistOf(mpeg->APETag());
        return name;
    }
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file))
        return flac->hasXiphComment() ? fieldOf(flac->xiphComment()) : QString();
    if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file))
        return fieldOf(vorbis->tag());
    if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file))
        return fieldOf(opus->tag());
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        const TagLib::MP4::Tag* tag = mp4->tag();
        return tag && tag->contains("aART") ? firstOf(tag->item("aART").toStringList()) : QString();
    }
    if (auto* asf = dynamic_cast<TagLib::ASF::File*>(file)) {
        const TagLib::ASF::Tag* tag = asf->tag();
        if (!tag)
            return {};
        const TagLib::ASF::AttributeList list = tag->attribute("WM/AlbumArtist");
        return list.isEmpty() ? QString() : toQString(list.front().toString()).trimmed();
    }
    // Anything else (WAV, AIFF, APE, ...) through TagLib's common names.
    return firstOf(file->properties()["ALBUMARTIST"]);
}

// An MP3 whose genre comes only from its ID3v1 byte is named from the same
// list the tag editor shows, Japanese genres included.
QString id3v1Genre(TagLib::MPEG::File& mpeg, const QString& unionGenre)
{
    if (!mpeg.hasID3v1Tag())
        return unionGenre;
    const bool fromAbove = (mpeg.hasID3v2Tag() && !mpeg.ID3v2Tag()->genre().isEmpty())
                           || (mpeg.hasAPETag() && !mpeg.APETag()->genre().isEmpty());
    if (fromAbove)
        return unionGenre;
    const int index = id3::genreIndexForByte(quint8(std::min(mpeg.ID3v1Tag()->genreNumber(), 255u)));
    return index >= 0 ? id3::genreNames().at(index) : QString();
}

// TagLib gives an ID3v1.0 comment (one without a track number) as Latin-1
// past the string handler: the bytes it holds are decoded here instead.
QString id3v1Comment(TagLib::MPEG::File& mpeg, const QString& unionComment)
{
    if (!mpeg.hasID3v1Tag() || mpeg.ID3v1Tag()->track() != 0)
        return unionComment;
    const bool fromAbove = (mpeg.hasID3v2Tag() && !mpeg.ID3v2Tag()->comment().isEmpty())
                           || (mpeg.hasAPETag() && !mpeg.APETag()->comment().isEmpty());
    if (fromAbove)
        return unionComment;
    return id3::decodeField(viewOf(mpeg.ID3v1Tag()->comment().data(TagLib::String::Latin1)));
}

void fillFromTag(TrackInfo& info, const TagLib::Tag& tag)
{
    info.title = toQString(tag.title()).trimmed();
    info.artist = toQString(tag.artist()).trimmed();
    info.album = toQString(tag.album()).trimmed();
    info.genre = toQString(tag.genre()).trimmed();
    info.comment = toQString(tag.comment()).trimmed();
    info.year = int(std::min(tag.year(), 9999u));
    info.trackNumber = int(std::min(tag.track(), 9999u));
}

void settle(TrackInfo& info)
{
    info.hasTag = !info.title.isEmpty() || !info.artist.isEmpty() || !info.albumArtist.isEmpty()
                  || !info.album.isEmpty() || !info.genre.isEmpty() || !info.comment.isEmpty() || info.year > 0
                  || info.trackNumber > 0;
}

void fillFromMpeg(TrackInfo& info, TagLib::MPEG::File& mpeg)
{
    // The file's tag is the union of ID3v2, APE and ID3v1, each field
    // taken from the first that has it.
    if (const TagLib::Tag* tag = mpeg.tag())
        fillFromTag(info, *tag);
    info.genre = id3v1Genre(mpeg, info.genre);
    info.comment = id3v1Comment(mpeg, info.comment);
    info.albumArtist = albumArtistOf(&mpeg);
}

std::optional<TrackInfo> fromId3v1(const std::optional<id3::Tag>& tag)
{
    if (!tag)
        return std::nullopt;
    TrackInfo info;
    info.title = tag->title;
    info.artist = tag->artist;
    info.album = tag->album;
    info.comment = tag->comment;
    info.year = std::max(tag->year.toInt(), 0);
    const int genre = id3::genreIndexForByte(tag->genre);
    if (genre >= 0)
        info.genre = id3::genreNames().at(genre);
    settle(info);
    return info;
}

} // namespace

void setUpTagLib()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // TagLib keeps the handlers for the process's lifetime.
        static const Cp932Id3v1Handler id3v1;
        static const MislabelledLatin1Handler latin1;
        TagLib::ID3v1::Tag::setStringHandler(&id3v1);
        TagLib::ID3v2::Tag::setLatin1StringHandler(&latin1);
    });
}

QString decodeLatin1Frame(QByteArrayView bytes)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
    if (ascii || bytes.isEmpty())
        return QString::fromLatin1(bytes);
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    const QString sjis = cp932::decode(bytes.toByteArray());
    if (!sjis.contains(QChar::ReplacementCharacter))
        return sjis;
    return QString::fromLatin1(bytes);
}

std::optional<TrackInfo> readTrackInfo(const QString& path)
{
    setUpTagLib();
    if (path.trimmed().isEmpty())
        return std::nullopt;
    // Read-only: a file being played or edited elsewhere is never opened
    // for writing here.
    const QByteArray name = QFile::encodeName(path);
    TagLib::FileStream stream(name.constData(), true);
    if (!stream.isOpen())
        return std::nullopt;

    const TagLib::FileRef ref(&stream, true, TagLib::AudioProperties::Average);
    auto* mpeg = ref.isNull() ? nullptr : dynamic_cast<TagLib::MPEG::File*>(ref.file());
    TrackInfo info;
    if (!ref.isNull()) {
        if (const TagLib::AudioProperties* properties = ref.audioProperties())
            info.lengthMs = std::max(properties->lengthInMilliseconds(), 0);
        if (mpeg) {
            fillFromMpeg(info, *mpeg);
        } else {
            if (const TagLib::Tag* tag = ref.tag())
                fillFromTag(info, *tag);
            info.albumArtist = albumArtistOf(ref.file());
        }
        settle(info);
    }
    if (info.hasTag || mpeg)
        return info;
    // Any other file, known to TagLib or not, may still end in an ID3v1
    // block: the tag editor writes one to whatever file it is given. Only
    // those last bytes are read.
    std::optional<TrackInfo> v1 = fromId3v1(id3::readTag(path));
    if (!v1)
        return ref.isNull() ? std::nullopt : std::optional(info);
    v1->lengthMs = info.lengthMs;
    return v1;
}

QString trackTitle(const QString& path, const std::optional<TrackInfo>& info)
{
    if (info && !info->title.isEmpty())
        return info->title;
    return withoutMediaSuffix(QFileInfo(path).fileName());
}

} // namespace yk::tags
