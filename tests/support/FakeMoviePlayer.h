#pragma once

#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QWidget>

#include <memory>

#include "platform/MoviePlayer.h"

namespace yk::test {

// A movie engine that opens anything: it reports loaded() when told to,
// with the picture size given, shows a plain widget and hands out a known
// frame (a colour per quarter), so a test can check the pixels that reach
// a file.
class FakeMoviePlayer final : public MoviePlayer
{
public:
    QSize size{320, 240};
    bool video = true;
    qint64 pos = 0;
    qint64 dur = 60000;
    // Calls to play, pause, stop and seek, in order.
    QStringList calls;
    // grabFrame() gives this; a fresh fake draws one at `size`.
    QImage frame;

    FakeMoviePlayer() : m_widget(std::make_unique<QWidget>())
    {
        m_widget->setObjectName(QStringLiteral("fake_video"));
    }

    bool open(const QString& path) override
    {
        m_file = path;
        calls << QStringLiteral("open");
        return true;
    }
    QString fileName() const override { return m_file; }
    void play() override { calls << QStringLiteral("play"); }
    void pause() override { calls << QStringLiteral("pause"); }
    void stop() override { calls << QStringLiteral("stop"); }
    qint64 position() const override { return pos; }
    qint64 duration() const override { return dur; }
    void seek(qint64 ms) override { calls << QStringLiteral("seek %1").arg(ms); }
    bool hasVideo() const override { return video; }
    QSize videoSize() const override { return video ? size : QSize(); }
    QWidget* videoWidget() const override { return m_widget.get(); }
    QImage grabFrame() const override { return frame.isNull() ? quarters(size) : frame; }

    // The engine has the file open.
    void finishLoading() { Q_EMIT loaded(); }
    // The engine could not open the file.
    void fail() { Q_EMIT error(QStringLiteral("cannot open")); }

    // Red, green, blue and white quarters (top left, top right, bottom
    // left, bottom right).
    static QImage quarters(QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        QPainter p(&image);
        const int w = size.width() / 2;
        const int h = size.height() / 2;
        p.fillRect(0, 0, w, h, Qt::red);
        p.fillRect(w, 0, size.width() - w, h, Qt::green);
        p.fillRect(0, h, w, size.height() - h, Qt::blue);
        p.fillRect(w, h, size.width() - w, size.height() - h, Qt::white);
        return image;
    }

private:
    QString m_file;
    // Owned here as the engine owns its widget; a window borrows it.
    std::unique_ptr<QWidget> m_widget;
};

} // namespace yk::test
