#include "platform/gstreamer/GstDeviceChannel.h"

#include <algorithm>

#include <QFileInfo>

#include "platform/gstreamer/Playbin.h"

namespace yk::gst {

namespace {

bool is(const QString& command, QStringView name)
{
    return command.compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

GstDeviceChannel::GstDeviceChannel(QObject* parent)
    : DeviceChannel(parent)
    , m_playbin(new Playbin(Playbin::Kind::Sound, this))
{
    connect(m_playbin, &Playbin::ended, this, [this] { Q_EMIT completed(1); });
    connect(m_playbin, &Playbin::joined, this, [this](const QString& path) {
        m_fileName = path;
        Q_EMIT nextStarted(path);
    });
    // A file the decoders cannot read stays open and silent, the way a
    // failed command leaves the classic device.
}

GstDeviceChannel::~GstDeviceChannel() = default;

void GstDeviceChannel::setCommand(const QString& command)
{
    m_command = command;
    if (is(command, u"Open")) {
        open();
    } else if (is(command, u"Play")) {
        const std::optional<qint64> from = std::exchange(m_from, std::nullopt);
        if (m_open)
            m_playbin->play(from);
    } else if (is(command, u"Pause") || is(command, u"Stop")) {
        m_playbin->pause(); // a stopped device keeps its place, as the classic one did
    } else if (is(command, u"Close")) {
        close();
    }
}

void GstDeviceChannel::setFrom(qint64 from)
{
    m_from = std::max<qint64>(from, 0);
}

qint64 GstDeviceChannel::length() const
{
    return m_open ? m_playbin->length() : 0;
}

qint64 GstDeviceChannel::position() const
{
    return m_open ? m_playbin->position() : 0;
}

void GstDeviceChannel::setNextFile(const QString& path)
{
    m_playbin->setNextFile(m_open ? path : QString());
}

void GstDeviceChannel::setStreamVolume(double volume)
{
    m_playbin->setVolume(volume);
}

void GstDeviceChannel::open()
{
    if (m_open)
        close();
    if (is(m_deviceType, u"CDAudio"))
        return; // no disc drive is driven; the device simply stays closed
    const QFileInfo file(m_fileName);
    if (m_fileName.isEmpty() || !file.isFile())
        return;
    m_open = true;
    m_playbin->load(file.absoluteFilePath());
}

void GstDeviceChannel::close()
{
    m_open = false;
    m_from.reset();
    m_playbin->close();
}

} // namespace yk::gst

// The program loads this module by name when it first needs a sound, so the
// media framework stays off the start-up path.
extern "C" Q_DECL_EXPORT yk::DeviceChannel* yk_create_device_channel()
{
    return new yk::gst::GstDeviceChannel();
}
