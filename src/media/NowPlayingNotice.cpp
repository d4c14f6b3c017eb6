#include "media/NowPlayingNotice.h"

#include <utility>

#include <QFileInfo>

#include "media/CoverArt.h"
#include "platform/DesktopNotifier.h"

namespace yk {

NowPlayingNotice::NowPlayingNotice(DesktopNotifier& notifier, CoverArt& art, int pictureWaitMs, QObject* parent)
    : QObject(parent)
    , m_notifier(notifier)
    , m_art(art)
{
    m_wait.setSingleShot(true);
    m_wait.setInterval(pictureWaitMs);
    connect(&m_wait, &QTimer::timeout, this, [this] { send({}); });
    connect(&m_art, &CoverArt::found, this, [this](const QString& trackPath, const QString& picture) {
        if (m_waiting && m_waiting->path == trackPath)
            send(picture);
    });
}

void NowPlayingNotice::show(const QString& trackPath, const QString& title, const QString& artist)
{
    m_waiting = Track{trackPath, title.isEmpty() ? QFileInfo(trackPath).completeBaseName() : title, artist};
    m_wait.start();
    // May answer at once, from what it remembers.
    m_art.request(trackPath);
}

void NowPlayingNotice::send(const QString& picture)
{
    m_wait.stop();
    const Track track = *std::exchange(m_waiting, std::nullopt);
    m_notifier.notify(QStringLiteral("♪ ") + track.title, track.artist, picture);
}

} // namespace yk
