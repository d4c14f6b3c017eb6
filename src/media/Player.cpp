#include "media/Player.h"

#include <algorithm>
#include <array>
#include <utility>

#include <QFileInfo>
#include <QRandomGenerator>

#include "media/DeviceSequences.h"
#include "media/EntryName.h"
#include "media/MediaFormats.h"
#include "media/PlayList.h"
#include "media/PlayerShared.h"
#include "media/ThumbBars.h"
#include "platform/DeviceChannel.h"
#include "platform/MoviePlayer.h"
#include "core/ClockTick.h"

namespace yk {

using namespace player_detail;

namespace {

constexpr std::array<QStringView, 4> kWaveTails{u"wav", u"stm", u"dsm", u".mj"};
constexpr std::array<QStringView, 3> kSequencerTails{u"mid", u"rmi", u"idi"};

template<std::size_t N>
bool tailIn(const QString& tail, const std::array<QStringView, N>& tails)
{
    return std::any_of(tails.begin(), tails.end(), [&](QStringView t) { return tail == t; });
}

// A random source that kept answering the current entry would hang the
// UI thread; after this many tries the next entry is taken instead.
constexpr int kMaxRandomTries = 64;

} // namespace

Player::Player(PlayList& list, DeviceChannel& device, MoviePlayer* movie, ClockTick* tick,
               QObject* parent)
    : QObject(parent), m_list(list), m_device(device), m_movie(movie), m_tick(tick)
{
    m_titleSource = [](const QString&) { return QString(); };
    m_randomSource = [](int bound) { return int(QRandomGenerator::global()->bounded(bound)); };
    m_positionTimer.setInterval(kPositionRefreshMs);
    connect(&m_positionTimer, &QTimer::timeout, this, &Player::refreshPosition);
    // The device's end-of-file notice ends the fast position refresh.
    connect(&m_device, &DeviceChannel::completed, this, [this](int) { m_positionTimer.stop(); });
    connect(&m_device, &DeviceChannel::nextStarted, this, &Player::onNextStarted);
    connect(&m_list, &PlayList::changed, this, &Player::updateFastTicks);
    connect(&m_list, &PlayList::changed, this, &Player::planNext);
    if (m_movie) {
        connect(m_movie, &MoviePlayer::loaded, this, &Player::onMovieLoaded);
        connect(m_movie, &MoviePlayer::error, this, &Player::onMovieFailed);
    }
    if (m_tick)
        connect(m_tick, &QObject::destroyed, this, [this] { m_tick = nullptr; });
}

Player::~Player()
{
    if (m_tick && m_fastTicks)
        m_tick->requestFastTicks(kFastTicksName, false);
}

void Player::setTitleSource(TitleSource source)
{
    if (source)
        m_titleSource = std::move(source);
}

void Player::setRandomSource(RandomSource source)
{
    if (source)
        m_randomSource = std::move(source);
}

void Player::setMovieBlocker(std::function<bool()> blocked)
{
    m_movieBlocked = std::move(blocked);
}

// Movies, classic tails or today's containers, go to the movie window.
// Today's sound formats take the general decoder type, as mp3 does (none
// of their endings ends like a wave or sequencer tail).
QString Player::deviceTypeFor(const QString& path)
{
    if (mediaKind(path) == MediaKind::Movie)
        return {};
    const QString tail = path.right(3).toLower();
    if (tailIn(tail, kWaveTails))
        return device::WaveAudio.toString();
    if (tailIn(tail, kSequencerTails))
        return device::Sequencer.toString();
    return device::MpegVideo.toString();
}

bool Player::isMovieFile(const QString& path)
{
    return deviceTypeFor(path).isEmpty();
}

QString Player::elapsedText(qint64 ms)
{
    ms = std::max<qint64>(ms, 0);
    const QChar zero(u'0');
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000, 2, 10, zero)
        .arg((ms / 1000) % 60, 2, 10, zero)
        .arg((ms % 1000) / 10, 2, 10, zero);
}

bool Player::paused() const
{
    return m_device.command() == kPause;
}

void Player::setTitle(const QString& title)
{
    m_notice = false;
    if (title == m_title)
        return;
    m_title = title;
    Q_EMIT titleChanged(m_title);
}

QString Player::displayName(int index, const QString& path) const
{
    return entryDisplayName(index, path, m_id3Title);
}

void Player::playNow()
{
    m_device.setCommand(kClose);
    closeMovie();
    // List playback ends a system sound's claim on the device, also one
    // that has yet to start: the list's track ends advance again.
    m_openingPlay = false;
    m_reserved = false;

    if (m_random) {
        const int count = m_list.count();
        if (count >= 2) {
            int index = m_curIndex;
            for (int tries = 0; index == m_curIndex; ++tries)
                index = tries < kMaxRandomTries ? std::clamp(m_randomSource(count), 0, count - 1)
                                                : (m_curIndex + 1) % count;
            m_curIndex = index;
        } else if (count == 1) {
            m_curIndex = 0;
        }
        if (count > 0)
            m_curFile = m_list.at(m_curIndex);
    }

    if (fileExists(m_curFile)) {
        const QString type = deviceTypeFor(m_curFile);
        if (!type.isEmpty())
            m_device.setDeviceType(type);

        Q_EMIT lyricsOff();
        Q_EMIT trackOpened(m_curFile);
        resetPosition();
        if (m_curIndex >= 0 && m_curIndex < m_list.count())
            Q_EMIT currentEntryFocused(m_curIndex);

        m_listPlay = true;
        m_id3Title = m_titleSource(m_curFile);
        setTitle(displayName(m_curIndex, m_curFile));

        if (!type.isEmpty()) {
            playAsSound(m_curFile, std::nullopt);
        } else if (m_movieBlocked && m_movieBlocked()) {
            // A movie would cover the dialog the user is working in.
            m_listPlay = false;
            updateFastTicks();
            return;
        } else if (m_movie) {
            // Whether the file has a picture is known only once it has
            // loaded; until then it waits here.
            m_moviePending = m_curFile;
            m_movie->open(m_curFile);
        } else {
            playAsSound(m_curFile, device::MpegVideo.toString());
        }
    }

    m_positionTimer.start();
    updateFastTicks();
}

void Player::playAsSound(const QString& path, const std::optional<QString>& type)
{
    if (type)
        m_device.setDeviceType(*type);
    m_device.setFileName(path);
    m_device.setCommand(kOpen);
    m_device.setCommand(kPlay);
    planNext();
}

std::optional<int> Player::nextInOrder() const
{
    const int count = m_list.count();
    if (m_random || count == 0 || (m_curIndex >= count - 1 && !m_loop))
        return std::nullopt;
    const int next = m_curIndex + 1 > count - 1 ? 0 : m_curIndex + 1;
    const QString path = m_list.at(next);
    // A movie goes to its window, and a missing file stops the list: both
    // wait for the track's end as before.
    if (isMovieFile(path) || !fileExists(path))
        return std::nullopt;
    return next;
}

void Player::planNext()
{
    const bool soundPlays = m_listPlay && !m_openingPlay && !m_movieShown && m_moviePending.isEmpty()
        && m_device.command() != kClose && m_device.fileName() == m_curFile;
    const std::optional<int> next = soundPlays ? nextInOrder() : std::nullopt;
    m_device.setNextFile(next ? m_list.at(*next) : QString());
}

// The device went on to the planned entry without a gap: everything a track
// start changes changes now, except the device itself, which already plays.
void Player::onNextStarted(const QString& path)
{
    const std::optional<int> planned = nextInOrder();
    int index = planned && m_list.at(*planned) == path ? *planned : int(m_list.entries().indexOf(path));
    if (index < 0)
        index = m_curIndex;
    m_curIndex = index;
    m_curFile = path;
    m_device.setDeviceType(deviceTypeFor(path));
    Q_EMIT lyricsOff();
    Q_EMIT trackOpened(path);
    resetPosition();
    Q_EMIT currentEntryFocused(index);
    m_id3Title = m_titleSource(path);
    setTitle(displayName(index, path));
    m_positionTimer.start();
    planNext();
    updateFastTicks();
}

void Player::onMovieLoaded()
{
    if (m_moviePending.isEmpty() || m_movie->fileName() != m_moviePending)
        return;
    const QString path = std::exchange(m_moviePending, QString());
    if (!m_movie->hasVideo()) {
        onMovieFailedFor(path);
        return;
    }
    m_movieShown = true;
    Q_EMIT movieShown();
    m_movie->play();
    updateFastTicks();
}

void Player::onMovieFailed()
{
    if (m_moviePending.isEmpty() || m_movie->fileName() != m_moviePending)
        return;
    onMovieFailedFor(std::exchange(m_moviePending, QString()));
}

// A movie name without a picture (or one the movie player cannot open) is
// sound: the general decoder type takes any of those containers.
void Player::onMovieFailedFor(const QString& path)
{
    m_movie->stop();
    playAsSound(path, device::MpegVideo.toString());
    updateFastTicks();
}

void Player::closeMovie()
{
    m_moviePending.clear();
    if (!m_movieShown)
        return;
    m_movieShown = false;
    if (m_movie)
        m_movie->stop();
    Q_EMIT movieClosed();
}

bool Player::movieAtEnd() const
{
    if (!m_movie || !m_movieShown)
        return false;
    const qint64 position = m_movie->position();
    return position != 0 && position == m_movie->duration();
}

void Player::play()
{
    m_device.setCommand(kClose);
    closeMovie();
    m_curFile = m_list.at(m_curIndex);
    playNow();
    m_playStart = false;
    updateFastTicks();
}

void Player::stop()
{
    device::stopDevices(m_device);
    m_listPlay = false;
    if (!m_list.isEmpty()) {
        m_curFile = m_list.at(m_curIndex);
        m_id3Title = m_titleSource(m_curFile);
        setTitle(displayName(m_curIndex, m_curFile));
    }
    if (m_movie)
        m_movie->stop();
    closeMovie();
    Q_EMIT lyricsOff();
    m_openingPlay = false;
    updateFastTicks();
}

void Player::forward()
{
    stepBy(1);
}

void Player::back()
{
    stepBy(-1);
}

void Player::stepBy(int delta)
{
    const int count = m_list.count();
    if (count == 0)
        return;
    if (m_device.command() != kClose)
        m_listPlay = true;
    m_curIndex += delta;
    if (m_curIndex > count - 1)
        m_curIndex = 0;
    else if (m_curIndex < 0)
        m_curIndex = count - 1;
    m_curFile = m_list.at(m_curIndex);
    if (m_device.command() == kPlay || m_movieShown)
        playNow();
    else
        device::cue(m_device, std::nullopt, m_curFile);
    focusCurrent();
    updateFastTicks();
}

void Player::focusCurrent()
{
    if (m_curIndex >= 0 && m_curIndex < m_list.count())
        Q_EMIT currentEntryFocused(m_curIndex);
    if (fileExists(m_curFile)) {
        m_id3Title = m_titleSource(m_curFile);
        setTitle(displayName(m_curIndex, m_curFile));
    } else {
        setTitle(kReadError);
    }
}

void Player::showEntryName()
{
    if (m_list.isEmpty())
        return;
    m_curFile = m_list.at(m_curIndex);
    setTitle(entryDisplayName(m_curIndex, m_curFile));
}

void Player::closeDevice()
{
    m_device.setCommand(kClose);
    closeMovie();
    updateFastTicks();
}

void Player::showText(const QString& title)
{
    setTitle(title);
}

void Player::showNotice(const QString& text)
{
    setTitle(text);
    m_notice = true;
}

void Player::showStartNotice(const QString& text)
{
    showNotice(text);
    m_display.titleOpaque = true;
    m_display.titleFramed = true;
    Q_EMIT displayChanged();
}

void Player::togglePauseFromKey()
{
    const QString written = device::pauseToggle(m_device);
    if (m_movieShown && m_movie) {
        if (written == kPlay)
            m_movie->play();
        else if (written == kPause)
            m_movie->pause();
    }
    updateFastTicks();
}

void Player::toggleLoop()
{
    m_loop = !m_loop;
    planNext();
    Q_EMIT facesChanged();
}

void Player::toggleRandom()
{
    m_random = !m_random;
    planNext();
    Q_EMIT facesChanged();
}

void Player::togglePause()
{
    if (m_display.thumbVisible)
        togglePauseFromKey();
}

void Player::pressButton(Button button)
{
    m_pressed[int(button)] = true;
    Q_EMIT facesChanged();
}

void Player::releaseButton(Button button)
{
    m_pressed[int(button)] = false;
    Q_EMIT facesChanged();
    switch (button) {
    case Button::Play: play(); break;
    case Button::Stop: stop(); break;
    case Button::Forward: forward(); break;
    case Button::Back: back(); break;
    case Button::Pause: togglePause(); break;
    }
}

bool Player::isPressed(Button button) const
{
    return m_pressed[int(button)];
}

void Player::playSystemSound(const QString& deviceType, const QString& path)
{
    // Whatever plays stops first; an idle device has nothing to stop.
    if (m_device.command() != kClose || m_movieShown)
        device::stopDevices(m_device);
    if (m_movie)
        m_movie->stop();
    closeMovie();
    Q_EMIT lyricsOff();
    m_listPlay = false;
    m_reserved = false;
    resetPosition();
    m_openingPlay = true;
    if (deviceType.isEmpty() && m_movie && !(m_movieBlocked && m_movieBlocked())) {
        m_moviePending = path;
        m_movie->open(path);
    } else {
        device::startFile(m_device, deviceType.isEmpty() ? device::MpegVideo.toString() : deviceType, path);
    }
    m_positionTimer.start();
    updateFastTicks();
}

void Player::reserveForSystemSound()
{
    m_openingPlay = true;
    m_reserved = true;
    m_listPlay = false;
}

void Player::resetPosition()
{
    if (m_seekDrag)
        return;
    m_elapsed = QStringLiteral("00:00");
    m_fraction = 0.0;
    Q_EMIT positionChanged(0);
    moveThumb(thumbs::kPosition.min);
}

void Player::requestPlayStart()
{
    m_playStart = true;
    updateFastTicks();
}

void Player::requestTitleRefresh()
{
    m_titleRefresh = true;
    updateFastTicks();
}

void Player::markListChanged()
{
    m_listChanged = true;
    updateFastTicks();
}

bool Player::takeListChanged()
{
    const bool was = std::exchange(m_listChanged, false);
    updateFastTicks();
    return was;
}

void Player::setSeekDragging(bool dragging)
{
    m_seekDrag = dragging;
}

void Player::setCurrentIndex(int index)
{
    m_curIndex = index;
    planNext();
}

void Player::moveThumb(double left)
{
    if (left == m_thumbLeft)
        return;
    m_thumbLeft = left;
    Q_EMIT thumbMoved(left);
}

void Player::seekToThumb()
{
    if (m_movieShown && m_movie) {
        m_movie->stop();
        m_movie->seek(thumbs::seekTarget(m_movie->duration(), m_thumbLeft));
        m_movie->play();
    } else {
        // With nothing open this plays nothing: the closed device ignores it.
        m_device.setTimeFormat(0);
        m_device.setFrom(thumbs::seekTarget(m_device.length(), m_thumbLeft));
        m_device.setCommand(kPlay);
    }
    m_seekDrag = false;
    // A track that had run out plays again and needs following again.
    m_positionTimer.start();
    updateFastTicks();
}

void Player::seekTo(qint64 ms)
{
    if (m_movieShown && m_movie) {
        m_movie->stop();
        m_movie->seek(std::clamp<qint64>(ms, 0, m_movie->duration()));
        m_movie->play();
    } else {
        device::seek(m_device, ms);
    }
    m_positionTimer.start();
    updateFastTicks();
}

void Player::updateFastTicks()
{
    const QString command = m_device.command();
    const bool trackRunning = m_listPlay && (command == kPlay || m_movieShown || !m_moviePending.isEmpty());
    const bool wanted = (m_playStart && !m_list.isEmpty()) || m_titleRefresh || m_listChanged
        || m_openingPlay || trackRunning;
    if (wanted == m_fastTicks)
        return;
    m_fastTicks = wanted;
    if (m_tick)
        m_tick->requestFastTicks(kFastTicksName, wanted);
}

} // namespace yk
