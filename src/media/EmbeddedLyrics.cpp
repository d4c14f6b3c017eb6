#include "media/EmbeddedLyrics.h"

#include <cmath>

#include <QFile>

#include <taglib/aifffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/wavfile.h>

#include "media/TrackTags.h"

namespace yk {

namespace {

// More than any song's lyrics; a tag holding more is not read as lyrics.
constexpr qsizetype kMaxLyricsLength = 4 * 1024 * 1024;

QString toQString(const TagLib::String& s)
{
    return QString::fromUtf8(s.toCString(true));
}

// The first entry with any text in it.
QString firstText(const TagLib::StringList& values)
{
    for (const TagLib::String& value : values) {
        const QString text = toQString(value);
        if (!text.trimmed().isEmpty())
            return text;
    }
    return {};
}

TagLib::ID3v2::Tag* id3v2Of(TagLib::File* file)
{
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file))
        return mpeg->hasID3v2Tag() ? mpeg->ID3v2Tag() : nullptr;
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file))
        return flac->hasID3v2Tag() ? flac->ID3v2Tag() : nullptr;
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file))
        return wav->hasID3v2Tag() ? wav->ID3v2Tag() : nullptr;
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file))
        return aiff->hasID3v2Tag() ? aiff->tag() : nullptr;
    return nullptr;
}

// Milliseconds per unit of a SYLT frame's times; 0 when they cannot be told.
double msPerUnit(const TagLib::ID3v2::SynchronizedLyricsFrame& frame, TagLib::File* file)
{
    if (frame.timestampFormat() != TagLib::ID3v2::SynchronizedLyricsFrame::AbsoluteMpegFrames)
        return 1;
    const auto* mpeg = dynamic_cast<const TagLib::MPEG::Properties*>(file->audioProperties());
    if (!mpeg || mpeg->sampleRate() <= 0)
        return 0;
    int samples = 1152;
    if (mpeg->layer() == 1)
        samples = 384;
    else if (mpeg->layer() == 3 && mpeg->version() != TagLib::MPEG::Header::Version1)
        samples = 576;
    return samples * 1000.0 / mpeg->sampleRate();
}

bool startsWithBreak(const QString& s)
{
    return s.startsWith(u'\n') || s.startsWith(u'\r');
}

// Synchronised lyrics as LRC lines. An entry is a line, unless some entries
// start with a line break: then entries are words, and each line runs from
// one entry starting with a break to the next.
QString syncedAsLrc(const TagLib::ID3v2::SynchronizedLyricsFrame& frame, TagLib::File* file)
{
    const double unit = msPerUnit(frame, file);
    if (unit <= 0)
        return {};
    const TagLib::ID3v2::SynchronizedLyricsFrame::SynchedTextList entries = frame.synchedText();
    bool words = false;
    for (const auto& entry : entries)
        words = words || startsWithBreak(toQString(entry.text));

    QString out;
    QString line;
    qint64 lineMs = -1;
    const auto flush = [&] {
        if (lineMs >= 0)
            out += QString::asprintf("[%02lld:%02lld.%03lld]", lineMs / 60000, lineMs / 1000 % 60, lineMs % 1000)
                + line.simplified() + u'\n';
    };
    for (const auto& entry : entries) {
        const QString text = toQString(entry.text);
        if (!words || lineMs < 0 || startsWithBreak(text)) {
            flush();
            lineMs = std::llround(entry.time * unit);
            line.clear();
        }
        line += text;
        if (out.size() + line.size() > kMaxLyricsLength)
            return {};
    }
    flush();
    return out;
}

QString fromId3v2(TagLib::ID3v2::Tag* tag, TagLib::File* file)
{
    const TagLib::ID3v2::FrameListMap& frames = tag->frameListMap();
    if (const auto synced = frames.find("SYLT"); synced != frames.end()) {
        for (TagLib::ID3v2::Frame* frame : synced->second) {
            if (const auto* sylt = dynamic_cast<TagLib::ID3v2::SynchronizedLyricsFrame*>(frame)) {
                if (QString text = syncedAsLrc(*sylt, file); !text.isEmpty())
                    return text;
            }
        }
    }
    if (const auto plain = frames.find("USLT"); plain != frames.end()) {
        for (TagLib::ID3v2::Frame* frame : plain->second) {
            if (const auto* uslt = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame*>(frame)) {
                if (QString text = toQString(uslt->text()); !text.trimmed().isEmpty())
                    return text;
            }
        }
    }
    return {};
}

QString lyricsOf(TagLib::File* file)
{
    if (TagLib::ID3v2::Tag* id3 = id3v2Of(file)) {
        if (QString text = fromId3v2(id3, file); !text.isEmpty())
            return text;
    }
    // The Vorbis comments by their names, the MP4 lyrics atom and ASF and
    // APE lyrics by TagLib's common name.
    const TagLib::PropertyMap fields = file->properties();
    for (const char* key : {"LYRICS", "UNSYNCEDLYRICS"}) {
        if (QString text = firstText(fields[key]); !text.isEmpty())
            return text;
    }
    return {};
}

} // namespace

QString readEmbeddedLyrics(const QString& path)
{
    tags::setUpTagLib();
    const QByteArray name = QFile::encodeName(path);
    const TagLib::FileRef ref(name.constData(), true, TagLib::AudioProperties::Fast);
    if (ref.isNull())
        return {};
    const QString text = lyricsOf(ref.file());
    return text.size() > kMaxLyricsLength ? QString() : text;
}

} // namespace yk
