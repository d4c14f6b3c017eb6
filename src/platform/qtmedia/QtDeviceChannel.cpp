#include "platform/qtmedia/QtDeviceChannel.h"
#include "platform/qtmedia/MediaStatus.h"

#include <algorithm>

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace yk {

namespace {

bool is(const QString& command, QStringView name)
{
    return command.compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

QtDeviceChannel::QtDeviceChannel(QObject* parent)
    : DeviceChannel(parent)
    , m_player(new QMediaPlayer(this))
    , m_audio(new QAudioOutput(this))
{
    // Without an audio output the player never runs its clock; with one it
    // plays on the default device, or at real time into nothing when the
    // machine has no sound device at all.
    m_player->setAudioOutput(m_audio);

    auto* devices = new QMediaDevices(this);
    connect(devices, &QMediaDevices::audioOutputsChanged, this,
            [this] { m_audio->setDevice(QMediaDevices::defaultAudioOutput()); });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this,
            &QtDeviceChannel::onMediaStatusChanged);
}

QtDeviceChannel::~QtDeviceChannel()
{
    m_player->stop();
}

void QtDeviceChannel::setDeviceType(const QString& type)
{
    m_deviceType = type;
}

void QtDeviceChannel::setFileName(const QString& path)
{
    // Like the classic control, the name only matters to the next "Open".
    m_fileName = path;
}

void QtDeviceChannel::setCommand(const QString& command)
{
    m_command = command;
    if (is(command, u"Open"))
        open();
    else if (is(command, u"Play"))
        play();
    else if (is(command, u"Pause") || is(command, u"Stop"))
        pause(); // a stopped device keeps its place, as the classic one did
    else if (is(command, u"Close"))
        close();
}

void QtDeviceChannel::setFrom(qint64 from)
{
    m_from = std::max<qint64>(from, 0);
}

void QtDeviceChannel::setTimeFormat(int format)
{
    // Callers only ever ask for milliseconds, which is all this device
    // counts in; the value is kept for symmetry with the classic control.
    m_timeFormat = format;
}

qint64 QtDeviceChannel::length() const
{
    if (!m_open)
        return 0;
    if (m_ended)
        return m_endLength;
    return std::max<qint64>(m_player->duration(), 0);
}

qint64 QtDeviceChannel::position() const
{
    if (!m_open)
        return 0;
    if (m_ended)
        return m_endLength;
    qint64 pos = std::max<qint64>(m_player->position(), 0);
    const qint64 len = m_player->duration();
    if (len > 0)
        pos = std::min(pos, len);
    return pos;
}

void QtDeviceChannel::setVideoOutput(QObject* output)
{
    m_player->setVideoOutput(output);
}

void QtDeviceChannel::open()
{
    if (m_open)
        close();
    if (is(m_deviceType, u"CDAudio"))
        return; // no disc drive is driven; the device simply stays closed
    const QFileInfo file(m_fileName);
    if (m_fileName.isEmpty() || !file.isFile())
        return;
    ++m_generation;
    m_open = true;
    m_ended = false;
    m_playWhenLoaded = false;
    m_player->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
}

void QtDeviceChannel::play()
{
    if (!m_open) {
        m_from.reset(); // From belongs to this "Play", not to a later file
        return;
    }
    if (!isLoaded()) {
        m_playWhenLoaded = true; // carried out in onMediaStatusChanged
        return;
    }
    startPlayback();
}

void QtDeviceChannel::pause()
{
    m_playWhenLoaded = false;
    if (m_open && !m_ended)
        m_player->pause();
}

void QtDeviceChannel::close()
{
    ++m_generation;
    m_open = false;
    m_ended = false;
    m_playWhenLoaded = false;
    m_from.reset();
    m_endLength = 0;
    if (!m_player->source().isEmpty()) {
        m_player->stop();
        m_player->setSource(QUrl());
    }
}

void QtDeviceChannel::startPlayback()
{
    m_playWhenLoaded = false;
    const qint64 len = std::max<qint64>(m_player->duration(), 0);
    if (m_from) {
        const qint64 from = len > 0 ? std::min(*m_from, len) : *m_from;
        m_from.reset();
        if (len > 0 && from >= len) {
            // Playing from the very end finishes at once.
            m_player->pause();
            finishAtEnd();
            return;
        }
        // Seek once playing: a player that has just loaded, or has reached
        // its end, drops a seek made before play() (and rewinds at play()).
        m_ended = false;
        m_player->play();
        m_player->setPosition(from);
        return;
    }
    if (m_ended) {
        // Without a new start point the device stays at its end.
        finishAtEnd();
        return;
    }
    m_player->play();
}

void QtDeviceChannel::finishAtEnd()
{
    const qint64 reached = std::max<qint64>(m_player->position(), 0);
    // Length is at least 1 here, so "Position == Length and Position != 0"
    // recognises the end even of a file whose length was never reported.
    m_endLength = std::max({m_player->duration(), reached, m_endLength, qint64(1)});
    m_ended = true;
    m_playWhenLoaded = false;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == m_generation && m_ended)
                Q_EMIT completed(1);
        },
        Qt::QueuedConnection);
}

bool QtDeviceChannel::isLoaded() const
{
    return mediaIsLoaded(m_player->mediaStatus());
}

void QtDeviceChannel::onMediaStatusChanged()
{
    if (!m_open)
        return;
    switch (m_player->mediaStatus()) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferedMedia:
        // The player finishes its own loading work after this signal and
        // would undo a seek made here, so the start waits one turn.
        if (m_playWhenLoaded) {
            const quint64 generation = m_generation;
            QMetaObject::invokeMethod(
                this,
                [this, generation] {
                    if (generation == m_generation && m_playWhenLoaded && isLoaded())
                        startPlayback();
                },
                Qt::QueuedConnection);
        }
        break;
    case QMediaPlayer::EndOfMedia:
        if (!m_ended)
            finishAtEnd();
        break;
    case QMediaPlayer::InvalidMedia:
        // A file the decoders cannot read stays open and silent, the way
        // a failed command leaves the classic device.
        m_playWhenLoaded = false;
        break;
    default:
        break;
    }
}

} // namespace yk

// The program loads this module by name when it first needs a sound, so the
// media framework stays off the start-up path.
extern "C" Q_DECL_EXPORT yk::DeviceChannel* yk_create_device_channel()
{
    return new yk::QtDeviceChannel();
}
