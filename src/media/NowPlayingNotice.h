#pragma once

#include <optional>

#include <QObject>
#include <QString>
#include <QTimer>

namespace yk {

class CoverArt;
class DesktopNotifier;

// The desktop notice for a track whose now-playing announcement no mascot
// took: "♪ title" over the artist, with the track's cover picture. The
// cover is waited for only briefly; a notice about a song that has long
// been playing would be worse than one without a picture.
class NowPlayingNotice final : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPictureWaitMs = 1000;

    NowPlayingNotice(DesktopNotifier& notifier, CoverArt& art, int pictureWaitMs = kPictureWaitMs,
                     QObject* parent = nullptr);

    // Announces `trackPath`. A notice still waiting for its picture is
    // dropped: its track has already given way to this one.
    void show(const QString& trackPath, const QString& title, const QString& artist);

private:
    void send(const QString& picture);

    struct Track
    {
        QString path;
        QString title;
        QString artist;
    };

    DesktopNotifier& m_notifier;
    CoverArt& m_art;
    std::optional<Track> m_waiting;
    QTimer m_wait;
};

} // namespace yk
