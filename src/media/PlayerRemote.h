#pragma once

#include <functional>
#include <optional>

#include "media/TrackTags.h"
#include "platform/MediaControls.h"

namespace yk {

class DeviceChannel;
class PlayList;
class Player;
class TrackInfoReader;
class VolumeMixer;

// The player as the desktop's media controls see it. Every request goes to
// the operation the main window uses for the same thing (the play, stop,
// forward and back buttons, the pause key, the loop and random faces, the
// volume thumb's mixer value), so a media key and a click never disagree.
//
// The state is read back from the player and the device each time rather
// than kept, and changed() is said only when it differs from what was said
// last; the playing position alone never counts as a change.
class PlayerRemote final : public MediaControlTarget
{
    Q_OBJECT
public:
    struct Actions
    {
        std::function<void()> raise;
        std::function<void()> quit;
        // The mixer was set from here: the volume thumb follows.
        std::function<void()> volumeSet;
    };

    // The track's tags come from `tags`, never read here: a file whose
    // read is under way shows its file name until the read is done.
    PlayerRemote(Player& player, PlayList& list, DeviceChannel& device, VolumeMixer& mixer, TrackInfoReader& tags,
                 Actions actions, QObject* parent = nullptr);

    // The track id of a play-list entry.
    static QString trackId(int index);

    MediaState state() const override { return m_state; }
    qint64 positionUs() const override;

    void play() override;
    void pause() override;
    void playPause() override;
    void stop() override;
    void next() override;
    void previous() override;
    void seek(qint64 offsetUs) override;
    void setPosition(const QString& trackId, qint64 positionUs) override;
    void setLoopStatus(const QString& status) override;
    void setShuffle(bool on) override;
    void setVolume(double volume) override;
    void raise() override;
    void quit() override;

    // Reads the player again; changed() when the state moved. The mixer is
    // asked too when `readMixer` (it is not cheap enough for every
    // position update).
    void refresh(bool readMixer = true);
    // The cover picture of the entry `trackPath`, found elsewhere: shown
    // while that entry is the current one.
    void setArtUrl(const QString& trackPath, const QString& url);

private:
    MediaState compute() const;
    MediaTrack currentTrack() const;
    void seekTo(qint64 positionUs);

    Player& m_player;
    PlayList& m_list;
    DeviceChannel& m_device;
    VolumeMixer& m_mixer;
    TrackInfoReader& m_tags;
    Actions m_actions;
    MediaState m_state;
    double m_volume = 0.0;
    qint64 m_positionMs = 0; // the player's last position report
    // The tags of the last track looked at, asked again when a track
    // opens and when a read of it ends (the editor may have saved).
    mutable QString m_tagPath;
    mutable std::optional<tags::TrackInfo> m_info;
    mutable QString m_lengthPath;
    mutable qint64 m_lengthMs = 0;
    QString m_artPath;
    QString m_artUrl;
};

} // namespace yk
