#pragma once

#include <optional>

#include <QByteArrayView>
#include <QString>

namespace yk::tags {

// What a music file says about itself, from whichever tag it carries:
// ID3v2 (2.2, 2.3, 2.4), APE and ID3v1 in an MP3 (ID3v2 first, field by
// field), Vorbis comments in FLAC, Ogg Vorbis and Opus, the MP4 atoms, the
// ASF attributes.
struct TrackInfo
{
    QString title;
    QString artist;
    QString albumArtist;
    QString album;
    QString genre;
    QString comment;
    int year = 0;        // 0: not given
    int trackNumber = 0; // 0: not given
    qint64 lengthMs = 0; // 0: not known
    // Some tag gave at least one field.
    bool hasTag = false;

    bool operator==(const TrackInfo&) const = default;
};

// TagLib's text decoders for the bytes that tags mislabel: ID3v1 fields are
// CP932, and an ID3v2 frame declared Latin-1 whose bytes are not plain
// ASCII is read as the program reads text files (UTF-8 when valid, else
// CP932, else Latin-1). Safe to call from any thread, any number of times;
// every reader here calls it first.
void setUpTagLib();

// The file's tags and length; empty when the file cannot be read as any
// format TagLib knows. Touches the disk: call it off the UI thread.
std::optional<TrackInfo> readTrackInfo(const QString& path);

// The text of an ID3v2 frame declared Latin-1. Plain ASCII is itself;
// other bytes were most often written by a Japanese system in its own code
// page, or by a tool that wrote UTF-8 under the wrong label: UTF-8 when the
// bytes are valid UTF-8, else CP932 when they decode without a fault, else
// Latin-1 as declared.
QString decodeLatin1Frame(QByteArrayView bytes);

// A track's name for the player, the mascot and the desktop: the tag's
// title, else the file name without its extension.
QString trackTitle(const QString& path, const std::optional<TrackInfo>& info);

} // namespace yk::tags
