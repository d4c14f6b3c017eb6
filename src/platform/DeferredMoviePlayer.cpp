#include "platform/DeferredMoviePlayer.h"

namespace yk {

DeferredMoviePlayer::DeferredMoviePlayer(Factory factory, QObject* parent)
    : MoviePlayer(parent)
    , m_factory(std::move(factory))
{
}

DeferredMoviePlayer::~DeferredMoviePlayer() = default;

bool DeferredMoviePlayer::open(const QString& path)
{
    if (!m_real) {
        m_real = m_factory();
        connect(m_real.get(), &MoviePlayer::loaded, this, &MoviePlayer::loaded);
        connect(m_real.get(), &MoviePlayer::finished, this, &MoviePlayer::finished);
        connect(m_real.get(), &MoviePlayer::error, this, &MoviePlayer::error);
        if (m_volume != 1.0)
            m_real->setStreamVolume(m_volume);
    }
    return m_real->open(path);
}

// Until a file has been opened there is nothing to play, pause or move, and
// no reason to load the framework for it.
void DeferredMoviePlayer::play()
{
    if (m_real)
        m_real->play();
}

void DeferredMoviePlayer::pause()
{
    if (m_real)
        m_real->pause();
}

void DeferredMoviePlayer::stop()
{
    if (m_real)
        m_real->stop();
}

void DeferredMoviePlayer::seek(qint64 ms)
{
    if (m_real)
        m_real->seek(ms);
}

// Kept until the engine exists, so the first movie plays at the volume set.
void DeferredMoviePlayer::setStreamVolume(double volume)
{
    m_volume = volume;
    if (m_real)
        m_real->setStreamVolume(volume);
}

} // namespace yk
