#pragma once

#include <optional>

#include <QString>

#include "media/Id3Tag.h"

namespace yk {

class MascotChannel;

// The mascot's "now playing" line for a track: the name (the tag's title,
// else the file name) and, when the tag has one, the artist. Both come from
// files, so both are escaped; the rest is our own script.
QString nowPlayingScript(const QString& name, const QString& artist);

// Reads the title for the player from the file's tag and, when the track is
// being opened for list playback, tells the mascot what plays. Returns the
// tag's title (empty without a tag or title).
class NowPlaying
{
public:
    explicit NowPlaying(MascotChannel& mascot) : m_mascot(mascot) {}

    // `opening`: the device is closed and list playback runs, so this read
    // belongs to a track about to start (not to a title refresh).
    QString titleFor(const QString& path, bool opening);

private:
    MascotChannel& m_mascot;
};

} // namespace yk
