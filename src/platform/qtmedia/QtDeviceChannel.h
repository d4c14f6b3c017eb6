#pragma once

#include <optional>

#include <QString>

#include "platform/DeviceChannel.h"

class QAudioOutput;
class QMediaPlayer;

namespace yk {


// The device channel on Qt Multimedia. "WaveAudio", "Sequencer" and
// "MpegVideo" all play through one QMediaPlayer; "CDAudio" is accepted and
// opens nothing. Loading is asynchronous: a "Play" written while the file
// is still loading is carried out once it has loaded, together with any
// pending From. At the natural end Position stays equal to Length (never
// 0), and completed(1) follows, unless the file was closed or reopened in
// the meantime.
class QtDeviceChannel final : public DeviceChannel
{
    Q_OBJECT
public:
    explicit QtDeviceChannel(QObject* parent = nullptr);
    ~QtDeviceChannel() override;

    void setDeviceType(const QString& type) override;
    QString deviceType() const override { return m_deviceType; }
    void setFileName(const QString& path) override;
    QString fileName() const override { return m_fileName; }
    void setCommand(const QString& command) override;
    QString command() const override { return m_command; }
    void setFrom(qint64 from) override;
    void setTimeFormat(int format) override;
    qint64 length() const override;
    qint64 position() const override;

    // Where the picture of a video file goes (a QVideoSink, QVideoWidget or
    // QGraphicsVideoItem); nullptr drops the picture and keeps the sound.
    void setVideoOutput(QObject* output);

    // True while a file is open (after an "Open" that found its file and
    // before the next "Close").
    bool isOpen() const { return m_open; }

private:
    void open();
    void play();
    void pause();
    void close();
    void startPlayback();
    void finishAtEnd();
    bool isLoaded() const;
    void onMediaStatusChanged();

    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_audio = nullptr;

    QString m_deviceType;
    QString m_fileName;
    QString m_command = QStringLiteral("Close");
    int m_timeFormat = 0;
    std::optional<qint64> m_from;

    bool m_open = false;
    bool m_playWhenLoaded = false;
    bool m_ended = false;
    qint64 m_endLength = 0;
    // Counts opens and closes, so that an end notice of a file that has
    // since been closed is dropped instead of stopping the next one's clock.
    quint64 m_generation = 0;
};

} // namespace yk
