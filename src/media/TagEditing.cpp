#include "media/TagEditing.h"

#include <array>
#include <memory>

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <taglib/asffile.h>
#include <taglib/commentsframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include "media/Id3Tag.h"
#include "media/Id3TagWriter.h"
#include "media/TrackTags.h"

namespace yk::tagedit {
namespace {

// How the file is opened, by its name.
enum class Format { None, Mpeg, Flac, Ogg, Opus, Mp4, Asf };

enum Field { Title, Artist, Album, Year, Comment, Genre, FieldCount };
constexpr std::array<QString Fields::*, FieldCount> kMembers{&Fields::title,   &Fields::artist,
                                                             &Fields::album,   &Fields::year,
                                                             &Fields::comment, &Fields::genre};

Format formatForName(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == u"mp3" || ext == u"mp2")
        return Format::Mpeg;
    if (ext == u"flac")
        return Format::Flac;
    if (ext == u"ogg" || ext == u"oga")
        return Format::Ogg;
    if (ext == u"opus")
        return Format::Opus;
    if (ext == u"m4a" || ext == u"mp4" || ext == u"m4v")
        return Format::Mp4;
    if (ext == u"wma" || ext == u"wmv")
        return Format::Asf;
    return Format::None;
}

TagLib::String toTag(const QString& text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

QString fromTag(const TagLib::String& text)
{
    return QString::fromStdString(text.to8Bit(true));
}

Fields commonFields(const TagLib::Tag& tag)
{
    Fields f;
    f.title = fromTag(tag.title());
    f.artist = fromTag(tag.artist());
    f.album = fromTag(tag.album());
    f.year = tag.year() != 0 ? QString::number(tag.year()) : QString();
    f.comment = fromTag(tag.comment());
    f.genre = fromTag(tag.genre());
    return f;
}

// One format's tag, field by field.
class TagAccess
{
public:
    virtual ~TagAccess() = default;
    virtual Fields fields() const = 0;
    // An empty value takes the field out of the tag.
    virtual void set(Field field, const QString& value) = 0;
    virtual bool save() = 0;
};

class Id3v2Access final : public TagAccess
{
public:
    Id3v2Access(TagLib::MPEG::File& file, TagLib::ID3v2::Tag& tag)
        : m_file(file)
        , m_tag(tag)
        // Written back in the version it came in; 2.2 cannot be written and
        // becomes 2.3. Always in a Unicode encoding.
        , m_version(tag.header()->majorVersion() >= 4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3)
        , m_encoding(m_version == TagLib::ID3v2::v4 ? TagLib::String::UTF8 : TagLib::String::UTF16)
    {
    }

    Fields fields() const override
    {
        Fields f = commonFields(m_tag);
        // The comment is the one without a description; the others are
        // other programs' notes (volume levels and the like).
        f.comment.clear();
        if (const TagLib::ID3v2::CommentsFrame* c = mainComment())
            f.comment = fromTag(c->text());
        return f;
    }

    void set(Field field, const QString& value) override
    {
        if (field == Comment) {
            while (TagLib::ID3v2::CommentsFrame* c = mainComment())
                m_tag.removeFrame(c);
            if (!value.isEmpty()) {
                auto* c = new TagLib::ID3v2::CommentsFrame(m_encoding);
                c->setLanguage("jpn");
                c->setText(toTag(value));
                m_tag.addFrame(c);
            }
            return;
        }
        static constexpr std::array<const char*, FieldCount> kIds{"TIT2", "TPE1", "TALB", "TDRC", "COMM", "TCON"};
        const TagLib::ByteVector id(kIds[field]);
        m_tag.removeFrames(id);
        if (!value.isEmpty()) {
            auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, m_encoding);
            frame->setText(toTag(value));
            m_tag.addFrame(frame);
        }
    }

    bool save() override
    {
        // The ID3v1 block is not TagLib's to write (see writeFileTags).
        return m_file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, m_version,
                           TagLib::File::DoNotDuplicate);
    }

private:
    TagLib::ID3v2::CommentsFrame* mainComment() const
    {
        for (TagLib::ID3v2::Frame* frame : m_tag.frameList("COMM")) {
            auto* c = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
            if (c && c->description().isEmpty())
                return c;
        }
        return nullptr;
    }

    TagLib::MPEG::File& m_file;
    TagLib::ID3v2::Tag& m_tag;
    TagLib::ID3v2::Version m_version;
    TagLib::String::Type m_encoding;
};

class XiphAccess final : public TagAccess
{
public:
    XiphAccess(TagLib::File& file, TagLib::Ogg::XiphComment& tag)
        : m_file(file)
        , m_tag(tag)
    {
    }
    Fields fields() const override { return commonFields(m_tag); }
    void set(Field field, const QString& value) override
    {
        // Read as TagLib reads them: DATE before YEAR, DESCRIPTION before
        // COMMENT. The field written is the one a reader looks at first.
        static constexpr std::array<const char*, FieldCount> kKeys{"TITLE", "ARTIST",  "ALBUM",
                                                                   "DATE",  "COMMENT", "GENRE"};
        TagLib::String key = kKeys[field];
        if (field == Year) {
            m_tag.removeFields("YEAR");
        } else if (field == Comment) {
            if (m_tag.contains("DESCRIPTION"))
                key = "DESCRIPTION";
            m_tag.removeFields("COMMENT");
        }
        m_tag.removeFields(key);
        if (!value.isEmpty())
            m_tag.addField(key, toTag(value));
    }
    bool save() override { return m_file.save(); }

private:
    TagLib::File& m_file;
    TagLib::Ogg::XiphComment& m_tag;
};

class Mp4Access final : public TagAccess
{
public:
    Mp4Access(TagLib::MP4::File& file, TagLib::MP4::Tag& tag)
        : m_file(file)
        , m_tag(tag)
    {
    }
    Fields fields() const override { return commonFields(m_tag); }
    void set(Field field, const QString& value) override
    {
        static constexpr std::array<const char*, FieldCount> kKeys{"\251nam", "\251ART", "\251alb",
                                                                   "\251day", "\251cmt", "\251gen"};
        const TagLib::String key = kKeys[field];
        if (field == Genre)
            m_tag.removeItem("gnre"); // the numbered genre of old files
        if (value.isEmpty())
            m_tag.removeItem(key);
        else
            m_tag.setItem(key, TagLib::StringList(toTag(value)));
    }
    bool save() override { return m_file.save(); }

private:
    TagLib::MP4::File& m_file;
    TagLib::MP4::Tag& m_tag;
};

class AsfAccess final : public TagAccess
{
public:
    AsfAccess(TagLib::ASF::File& file, TagLib::ASF::Tag& tag)
        : m_file(file)
        , m_tag(tag)
    {
    }
    Fields fields() const override { return commonFields(m_tag); }
    void set(Field field, const QString& value) override
    {
        // Title, artist and comment live in the content description, where
        // empty means none; the rest are attributes.
        switch (field) {
        case Title:
            m_tag.setTitle(toTag(value));
            return;
        case Artist:
            m_tag.setArtist(toTag(value));
            return;
        case Comment:
            m_tag.setComment(toTag(value));
            return;
        default:
            break;
        }
        const TagLib::String key = field == Album ? "WM/AlbumTitle" : field == Year ? "WM/Year" : "WM/Genre";
        if (value.isEmpty())
            m_tag.removeItem(key);
        else
            m_tag.setAttribute(key, TagLib::ASF::Attribute(toTag(value)));
    }
    bool save() override { return m_file.save(); }

private:
    TagLib::ASF::File& m_file;
    TagLib::ASF::Tag& m_tag;
};

struct OpenedTags
{
    std::unique_ptr<TagLib::File> file;
    // None when the file is not the format its name says, and for an MP3
    // without an ID3v2 tag (its ID3v1 block is handled apart).
    std::unique_ptr<TagAccess> access;
};

// The first of the readers that takes the file.
template <typename First, typename... Rest>
std::unique_ptr<TagLib::File> openOgg(FileRewrite& stream)
{
    auto file = std::make_unique<First>(&stream, false);
    if constexpr (sizeof...(Rest) > 0) {
        if (!file->isValid())
            return openOgg<Rest...>(stream);
    }
    return file;
}

OpenedTags openTags(FileRewrite& stream, Format format)
{
    OpenedTags out;
    TagLib::ID3v2::FrameFactory* frames = TagLib::ID3v2::FrameFactory::instance();
    switch (format) {
    case Format::None:
        break;
    case Format::Mpeg: {
        // The ID3v2 tag begins the file, or there is none to edit: TagLib
        // would search on for one behind junk, which in a large file that is
        // not MPEG at all takes half a minute.
        if (stream.bytes(0, 3) != "ID3")
            break;
        auto file = std::make_unique<TagLib::MPEG::File>(&stream, frames, false);
        TagLib::ID3v2::Tag* v2 = file->hasID3v2Tag() ? file->ID3v2Tag() : nullptr;
        // A tag that claims more bytes than the file holds is left alone:
        // rewriting it would take the sound behind it along.
        if (v2 && v2->header()->completeTagSize() <= static_cast<unsigned>(stream.size()))
            out.access = std::make_unique<Id3v2Access>(*file, *v2);
        out.file = std::move(file);
        break;
    }
    case Format::Flac: {
        auto file = std::make_unique<TagLib::FLAC::File>(&stream, frames, false);
        if (file->isValid())
            out.access = std::make_unique<XiphAccess>(*file, *file->xiphComment(true));
        out.file = std::move(file);
        break;
    }
    case Format::Ogg:
    case Format::Opus:
        out.file = format == Format::Opus
                       ? openOgg<TagLib::Ogg::Opus::File>(stream)
                       : openOgg<TagLib::Ogg::Vorbis::File, TagLib::Ogg::Opus::File, TagLib::Ogg::FLAC::File>(stream);
        if (out.file->isValid()) {
            if (auto* tag = dynamic_cast<TagLib::Ogg::XiphComment*>(out.file->tag()))
                out.access = std::make_unique<XiphAccess>(*out.file, *tag);
        }
        break;
    case Format::Mp4: {
        auto file = std::make_unique<TagLib::MP4::File>(&stream, false);
        if (file->isValid() && file->tag())
            out.access = std::make_unique<Mp4Access>(*file, *file->tag());
        out.file = std::move(file);
        break;
    }
    case Format::Asf: {
        auto file = std::make_unique<TagLib::ASF::File>(&stream, false);
        if (file->isValid() && file->tag())
            out.access = std::make_unique<AsfAccess>(*file, *file->tag());
        out.file = std::move(file);
        break;
    }
    }
    return out;
}

TagKind kindOf(Format format)
{
    switch (format) {
    case Format::Mpeg:
        return TagKind::Id3v1;
    case Format::Flac:
    case Format::Ogg:
    case Format::Opus:
        return TagKind::Vorbis;
    case Format::Mp4:
        return TagKind::Mp4;
    case Format::Asf:
        return TagKind::Asf;
    case Format::None:
        break;
    }
    return TagKind::None;
}

// The ID3v1 genre byte for a name: the list's own, then the standard
// names the list spells differently; the byte for no genre otherwise.
quint8 genreByte(const QString& name)
{
    if (const std::optional<quint8> listed = id3::genreByteForName(name))
        return *listed;
    const int standard = name.isEmpty() ? id3::kNoGenre : TagLib::ID3v1::genreIndex(toTag(name));
    return standard >= 0 && standard < id3::kNoGenre ? quint8(standard) : id3::kNoGenre;
}

id3::Tag id3v1Tag(const std::optional<id3::Tag>& old, const FileTags& before, const Fields& after)
{
    id3::Tag tag;
    tag.title = after.title;
    tag.artist = after.artist;
    tag.album = after.album;
    tag.year = after.year;
    tag.comment = after.comment;
    tag.genre = old && after.genre == before.fields.genre ? old->genre : genreByte(after.genre);
    tag.track = old ? old->track : 0;
    return tag;
}

} // namespace

FileTags readFileTags(const QString& path)
{
    tags::setUpTagLib();
    FileTags out;
    const Format format = formatForName(path);
    out.kind = kindOf(format);
    if (format == Format::None) {
        out.status = FileTags::Status::Unsupported;
        return out;
    }
    FileRewrite file(path, FileRewrite::Mode::Read);
    if (!file.openResult().ok())
        return out; // Missing
    // Taken off before TagLib looks: the block is read (and written) here.
    const std::optional<id3::Tag> v1 = id3::parseTag(id3::detachTag(file));
    const OpenedTags tags = openTags(file, format);
    if (tags.access) {
        out.fields = tags.access->fields();
        if (format == Format::Mpeg)
            out.kind = TagKind::Id3v1And2;
    } else if (format != Format::Mpeg) {
        out.status = FileTags::Status::Unreadable;
        return out;
    }
    if (v1 && format == Format::Mpeg) {
        const int genre = id3::genreIndexForByte(v1->genre);
        const QString v1Genre = genre >= 0 ? id3::genreNames()[genre] : QString();
        const Fields fromV1{v1->title, v1->artist, v1->album, v1->year, v1->comment, v1Genre};
        for (QString Fields::*m : kMembers) {
            if ((out.fields.*m).isEmpty())
                out.fields.*m = fromV1.*m;
        }
    }
    out.status = FileTags::Status::Read;
    return out;
}

QFuture<FileTags> readFileTagsAsync(const QString& path)
{
    return QtConcurrent::run([path] { return readFileTags(path); });
}

WriteResult writeFileTags(const QString& path, const FileTags& before, const Fields& after)
{
    tags::setUpTagLib();
    const Format format = formatForName(path);
    if (format == Format::None)
        return WriteResult{WriteResult::Status::Unsupported, {}};
    FileRewrite file(path, FileRewrite::Mode::Rewrite);
    if (!file.openResult().ok())
        return file.openResult();

    // Whatever the format, TagLib never sees an ID3v1 block: in an MP3 the
    // block is written below, as this program writes it (CP932); anywhere
    // else it is put back as it was.
    const QByteArray tail = id3::detachTag(file);
    {
        const OpenedTags tags = openTags(file, format);
        if (!tags.access && format != Format::Mpeg)
            return WriteResult{WriteResult::Status::Unreadable, {}};
        if (tags.access) {
            bool changed = false;
            for (int f = 0; f < FieldCount; ++f) {
                const QString& value = after.*kMembers[f];
                if (value != before.fields.*kMembers[f]) {
                    tags.access->set(Field(f), value);
                    changed = true;
                }
            }
            if (changed && !tags.access->save())
                return WriteResult{WriteResult::Status::Unreadable, {}};
        }
    }
    const QByteArray block = format == Format::Mpeg ? id3::tagBlock(id3v1Tag(id3::parseTag(tail), before, after))
                                                    : tail;
    file.replace(file.size(), 0, block);
    return file.commit();
}

QFuture<WriteResult> writeFileTagsAsync(const QString& path, const FileTags& before, const Fields& after)
{
    return QtConcurrent::run([path, before, after] { return writeFileTags(path, before, after); });
}

} // namespace yk::tagedit
