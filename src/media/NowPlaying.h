#pragma once

#include <functional>

#include <QObject>
#include <QString>

namespace yk {

class MascotChannel;
class TrackInfoReader;

// The mascot's "now playing" line for a track: the name (the tag's title,
// else the file name) and, when the tag has one, the artist. Both come from
// files, so both are escaped; the rest is our own script.
QString nowPlayingScript(const QString& name, const QString& artist);

// Reads the title for the player from the file's tags and, when the track
// is being opened for list playback, tells the mascot what plays.
//
// The tags are read on a worker. An ordinary file answers within
// TrackInfoReader::kWaitMs and everything happens in the call, as if it
// were read in place; a file
// that takes longer gets its file name for now, and the title and the
// announcement follow when its tags are in, if it is still the current
// track then.
class NowPlaying : public QObject
{
    Q_OBJECT
public:
    NowPlaying(MascotChannel& mascot, TrackInfoReader& reader, QObject* parent = nullptr);

    // The path of the player's current track; a late answer for any other
    // file is dropped. Unset, every late answer counts.
    void setCurrentTrack(std::function<QString()> current);

    // The name the player shows for `path`: the tag's title, else the file
    // name without its extension. `opening`: the device is closed and list
    // playback runs, so this read belongs to a track about to start (not
    // to a title refresh), which is announced when it has a tag.
    QString titleFor(const QString& path, bool opening);

Q_SIGNALS:
    // The tags of the current track `path` came in after titleFor() had
    // answered with its file name; `title` is its name now.
    void titleArrived(const QString& path, const QString& title);
    // The mascot did not take the announcement of `trackPath` (none is
    // running, or it refused): `title` is the name it would have said (the
    // tag's title, else the file name), `artist` the tag's artist (may be
    // empty). Said once per announcement, after titleFor() has returned.
    void unheard(const QString& trackPath, const QString& title, const QString& artist);

private:
    void onRead(const QString& path);
    void announce(const QString& path, const QString& name, const QString& artist);

    MascotChannel& m_mascot;
    TrackInfoReader& m_reader;
    std::function<QString()> m_current;
    // The file whose tags are awaited, and whether it is to be announced.
    QString m_pendingPath;
    bool m_pendingOpening = false;
};

} // namespace yk
