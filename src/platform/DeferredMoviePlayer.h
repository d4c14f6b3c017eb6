#pragma once

#include <functional>
#include <memory>

#include "platform/MoviePlayer.h"

namespace yk {

// Creates the real movie engine on the first open() and passes everything
// on to it, so the media framework costs nothing until a movie is played.
// Before that first open() the player is at rest: no file, no video, no
// widget, clock at 0.
//
// videoWidget() is null until the first open() and from then on the real
// engine's widget (in particular by the time loaded() arrives); the engine
// keeps that same widget across later files.
class DeferredMoviePlayer final : public MoviePlayer
{
    Q_OBJECT
public:
    using Factory = std::function<std::unique_ptr<MoviePlayer>()>;
    explicit DeferredMoviePlayer(Factory factory, QObject* parent = nullptr);
    ~DeferredMoviePlayer() override;

    bool isLoaded() const { return m_real != nullptr; }

    bool open(const QString& path) override;
    QString fileName() const override { return m_real ? m_real->fileName() : QString(); }
    void play() override;
    void pause() override;
    void stop() override;
    qint64 position() const override { return m_real ? m_real->position() : 0; }
    qint64 duration() const override { return m_real ? m_real->duration() : 0; }
    void seek(qint64 ms) override;
    bool hasVideo() const override { return m_real && m_real->hasVideo(); }
    QSize videoSize() const override { return m_real ? m_real->videoSize() : QSize(); }
    QWidget* videoWidget() const override { return m_real ? m_real->videoWidget() : nullptr; }
    QImage grabFrame() const override { return m_real ? m_real->grabFrame() : QImage(); }
    void setStreamVolume(double volume) override;

private:
    Factory m_factory;
    std::unique_ptr<MoviePlayer> m_real;
    double m_volume = 1.0;
};

} // namespace yk
