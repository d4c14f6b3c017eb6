#pragma once

#include <QStringList>

#include "platform/DeviceChannel.h"

namespace yk::test {

// A device channel that plays nothing and writes down every property write
// and command in order, as "DeviceType=WaveAudio", "FileName=/x",
// "Command=Open", "From=1200", "TimeFormat=0". Length and Position are
// whatever the test sets; command() reads back the last command written.
class FakeDeviceChannel final : public DeviceChannel
{
    Q_OBJECT
public:
    using DeviceChannel::DeviceChannel;

    void setDeviceType(const QString& type) override;
    QString deviceType() const override { return m_type; }
    void setFileName(const QString& path) override;
    QString fileName() const override { return m_file; }
    void setCommand(const QString& command) override;
    QString command() const override { return m_command; }
    void setFrom(qint64 from) override;
    void setTimeFormat(int format) override;
    qint64 length() const override { return m_length; }
    qint64 position() const override { return m_position; }
    // Kept apart from the log: what the player plans is not a command.
    void setNextFile(const QString& path) override { m_next = path; }
    QString nextFile() const { return m_next; }
    void setStreamVolume(double volume) override { streamVolume = volume; }
    double streamVolume = 1.0;
    // The planned file takes over without a gap, as a joining engine does.
    void joinNext();

    // What the test wants the device to report.
    void setLength(qint64 length) { m_length = length; }
    void setPosition(qint64 position) { m_position = position; }
    // Plays the file to its end: Position = Length, then completed().
    void finishTrack(int notifyCode = 1);
    void emitCompleted(int notifyCode = 1) { Q_EMIT completed(notifyCode); }

    const QStringList& log() const { return m_log; }
    // The log so far, leaving it empty.
    QStringList takeLog();
    void clearLog() { m_log.clear(); }

private:
    QString m_type;
    QString m_file;
    QString m_next;
    QString m_command = QStringLiteral("Close");
    qint64 m_length = 0;
    qint64 m_position = 0;
    QStringList m_log;
};

} // namespace yk::test
