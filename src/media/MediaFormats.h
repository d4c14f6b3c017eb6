#pragma once

#include <QString>
#include <QStringView>

namespace yk {

// What a file is to the player, by its name alone, never by its content.
//
// The classic endings are told by the last three characters, lower-cased
// ("song.midi" passes as …idi, "clip.mpeg" as …peg). Today's containers
// are told by their whole extension (".flac", ".opus", ".webm"), so they
// can be longer or shorter than three letters. A picture named ".jpeg" is
// not media, though its tail reads like ".mpeg".
enum class MediaKind {
    None,
    Sound, // plays on the sound device
    Movie, // opens in the movie window
};

MediaKind mediaKind(QStringView fileName);
inline bool isMediaFileName(QStringView fileName)
{
    return mediaKind(fileName) != MediaKind::None;
}
// One of today's endings (matched whole) rather than a classic tail.
bool hasModernMediaEnding(QStringView fileName);

// A media file's name without its extension, for titles and for the names
// of files that go with it: a modern ending goes whole ("a.flac" -> "a"),
// anything else loses its last four characters as it always did
// ("a.mp3" -> "a", "a.midi" -> "a.").
QString withoutMediaSuffix(const QString& fileName);

// The modern endings as picker patterns ("*.flac;*.ogg;…"), to append to a
// picker's classic list.
QString modernMediaPatterns();

} // namespace yk
