#pragma once

#include "platform/MoviePlayer.h"

namespace yk {

// No video engine: every file fails to open (error() follows, queued), there
// is no picture, no widget and no frame, and the clock stays at 0.
class NullMoviePlayer final : public MoviePlayer
{
    Q_OBJECT
public:
    using MoviePlayer::MoviePlayer;

    bool open(const QString& path) override;
    QString fileName() const override { return m_file; }
    void play() override {}
    void pause() override {}
    void stop() override {}
    qint64 position() const override { return 0; }
    qint64 duration() const override { return 0; }
    void seek(qint64) override {}
    bool hasVideo() const override { return false; }
    QSize videoSize() const override { return {}; }
    QWidget* videoWidget() const override { return nullptr; }
    QImage grabFrame() const override { return {}; }

private:
    QString m_file;
};

} // namespace yk
