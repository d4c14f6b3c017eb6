// Player benchmarks for yomikaze. Every figure is printed beside a reference
// measured in the same run, on the same files:
//
//   scan   The folder walk behind file drops and the command line, through
//          MediaScanner, over a generated tree (100,000 media files and one
//          other file in each of 5,000 folders), against `find TREE -type f`.
//          Beside it, the longest gap of a 5 ms timer on the UI thread while
//          the walk runs, against the same timer with nothing running.
//   list   Reading a 100,000-entry viw.m3u, against `cat` and `wc -l` of the
//          file and against Audacious adding the same list (headless, timed
//          through audtool on a private D-Bus). The first draw of the
//          play-list window has a hook below.
//   play   CPU over a window of --seconds while yomikaze plays an MP3 given on
//          its command line, against Audacious playing the same file (its
//          window shown, and headless), each in its own run under a private
//          Xvfb, all into a PulseAudio null sink, and each one's resident
//          memory (VmRSS) at the end of the window, while still playing. A
//          run counts only if the player's stream is in the sink and not
//          corked at both ends.
//   lyrics CPU while yomikaze plays the same MP3 with a dense lyrics file
//          beside it (a line every half second for ten minutes) and without
//          one, each in its own run, beside Audacious playing it headless.
//   idle   CPU and resident memory over --seconds with a folder of 10,000
//          short MP3 files, each with its own ID3v2 title, artist and album
//          in Japanese, on the command line and playback stopped with the
//          End key, against Audacious showing the same 10,000 entries.
//   tick   Cost of one clock tick with 10 and with 100,000 entries (hook below).
//   stall  How long the player keeps a remote control waiting. yomikaze on a
//          folder of four generated MP3 tracks, on a session bus of its own,
//          settles; then a thread of this process asks its MPRIS Position
//          every 10 ms and times each answer, while the driver runs twelve
//          operations over MPRIS 0.8 s apart (Next, Previous, Seek +2 s,
//          Pause, Play, Stop, Play, Next, SetPosition 5 s, Pause, Play,
//          Stop) and checks that each took effect. The longest and the 99th
//          percentile answer, against Audacious (window shown, its MPRIS 2
//          plugin switched on in its fresh home) driven the same way, and
//          against the bus daemon's own answer as the probe's floor. Then
//          the same with no sound server (PULSE_SERVER names no socket), and
//          the probe alone from the start through the first sound, once
//          with a GStreamer registry that does not exist yet (GST_REGISTRY),
//          once more with the registry that run wrote, and Audacious.
//
// Children die with the driver (PR_SET_PDEATHSIG); temporary folders go at
// the end; Ctrl+C cleans up as well.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDataStream>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>

#include "BenchSupport.h"
#include "media/ListFiles.h"
#include "media/PlayListView.h"
#include "media/PlayWindow.h"
#include "shell/App.h"
#include "shell/PlayerModule.h"
#include "core/ClockTick.h"
#include "media/MediaScan.h"
#include "media/PlayList.h"
#include "media/Player.h"
#include "platform/linux/MprisService.h"
#include "platform/null/NullDeviceChannel.h"

namespace yk::bench {

// ===================================================================== hooks
//
// Notes the first paint of the window it watches.
class PaintWatcher : public QObject
{
public:
    explicit PaintWatcher(bool* painted) : m_painted(painted) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            *m_painted = true;
        return false;
    }

private:
    bool* m_painted;
};

// The program itself, with null services (no sound, no mascot), in a
// temporary application folder, for the two figures measured inside this
// process: the play-list window's first draw and the cost of one tick.
struct ProgramUnderTest
{
    QTemporaryDir dir;
    std::unique_ptr<App> app;

    ProgramUnderTest()
    {
        AppServices services{AppPaths(dir.path())};
        services.workArea = [] { return QRect(0, 0, 1280, 1024); };
        app = std::make_unique<App>(services);
        app->start({});
    }
    void setList(const QStringList& entries)
    {
        PlayerModule& player = app->module<PlayerModule>();
        player.list().assign(entries);
        player.view().resetToTop();
        player.view().requestRebuild(false);
    }
};

// Shows the play-list window holding `entries` and returns once it has been
// painted (the rows of the list are built by the tick before that).
using FirstDraw = std::function<bool(const QStringList& entries)>;
FirstDraw playListWindowFirstDraw()
{
    auto program = std::make_shared<ProgramUnderTest>();
    return [program](const QStringList& entries) {
        App& app = *program->app;
        program->setList(entries);
        app.shell().tick().tick();
        bool painted = false;
        QWidget* window = &app.shell().playWindow();
        auto* watcher = new PaintWatcher(&painted);
        window->installEventFilter(watcher);
        app.module<PlayerModule>().togglePlayList();
        QElapsedTimer waited;
        waited.start();
        while (!painted && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        window->removeEventFilter(watcher);
        delete watcher;
        return painted && app.module<PlayerModule>().view().rows().size() == std::min<qsizetype>(entries.size(), 13);
    };
}

// One clock tick of the program, all of its steps, with `entries` in the
// play list and nothing playing.
using TickStep = std::function<void()>;
using TickFactory = std::function<TickStep(const QStringList& entries)>;
TickFactory programTick()
{
    return [](const QStringList& entries) -> TickStep {
        auto program = std::make_shared<ProgramUnderTest>();
        program->setList(entries);
        program->app->shell().tick().tick(); // the rows are built once
        return [program] { program->app->shell().tick().tick(); };
    };
}

// ===========================================================================

namespace {

struct Options
{
    QString program;
    QString reference;
    QStringList parts;
    int seconds = 60;
    int settleSeconds = 10;
    int rounds = 3;
    int treeFiles = 100'000;
    int treeFolders = 5'000;
    int idleEntries = 10'000;
    int timeoutMs = 30'000;
    bool useDisplay = false;
};

QString fmtMs(double ms)
{
    return ms < 10 ? QStringLiteral("%1 ms").arg(ms, 0, 'f', 2) : QStringLiteral("%1 ms").arg(ms, 0, 'f', 0);
}

QString verdict(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("NOT met");
}

// Runs a command to its end with its output thrown away; the wall time in
// ms, or nothing when it failed.
std::optional<double> timeCommand(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    if (!p.waitForFinished(600'000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return double(clock.nsecsElapsed()) / 1e6;
}

// The output of a short command, or nothing when it failed.
std::optional<QByteArray> commandOutput(const QString& program, const QStringList& args,
                                        const QProcessEnvironment& env, int timeoutMs = 10'000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return std::nullopt;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput();
}

void touch(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path.toStdString());
    ::close(fd);
}

// The generated tree: `folders` folders (50 at the top, the rest spread
// below them), each holding its share of the media files, with assorted
// extensions and cases, and one file that is not media. Returns the media
// files' paths.
QStringList makeTree(const QString& root, int files, int folders)
{
    static const char* const kMedia[] = {".mp3", ".wav", ".mid", ".MP3", ".avi", ".mpg", ".wma.mp3",
                                         ".flac", ".ogg", ".opus", ".M4A", ".mkv"};
    static const char* const kOther[] = {".txt", ".jpg", ".lrc", ".jpeg"};
    const int top = std::min(50, folders);
    QList<QByteArray> dirs;
    for (int i = 0; i < top; ++i)
        dirs << QFile::encodeName(root) + QByteArray("/album ") + QByteArray::number(i);
    for (int i = top; i < folders; ++i)
        dirs << dirs[i % top] + QByteArray("/disc ") + QByteArray::number(i);
    for (const QByteArray& d : std::as_const(dirs)) {
        if (::mkdir(d.constData(), 0755) != 0 && errno != EEXIST)
            throw std::runtime_error("cannot create " + d.toStdString());
    }
    QStringList media;
    media.reserve(files);
    for (int i = 0; i < files; ++i) {
        const QByteArray path = dirs[i % folders] + QByteArray("/track ") + QByteArray::number(i)
            + kMedia[i % std::size(kMedia)];
        touch(path);
        media << QFile::decodeName(path);
    }
    for (int i = 0; i < folders; ++i)
        touch(dirs[i] + QByteArray("/notes ") + QByteArray::number(i) + kOther[i % std::size(kOther)]);
    return media;
}

// A 16-bit PCM WAV file holding a sine tone.
void writeWave(const QString& path, double seconds, int rate, int channels, double hertz)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + path.toStdString());
    const quint32 frames = quint32(seconds * rate);
    const quint32 bytes = frames * quint32(channels) * 2;
    QByteArray data(qsizetype(bytes), Qt::Uninitialized);
    auto* samples = reinterpret_cast<qint16*>(data.data());
    for (quint32 i = 0; i < frames; ++i) {
        const auto v = qint16(std::lround(6000 * std::sin(2 * M_PI * hertz * i / rate)));
        for (int c = 0; c < channels; ++c)
            samples[i * quint32(channels) + quint32(c)] = qToLittleEndian(v);
    }
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + bytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(channels) << quint32(rate) << quint32(rate * channels * 2)
        << quint16(channels * 2) << quint16(16);
    out.writeRawData("data", 4);
    out << bytes;
    out.writeRawData(data.constData(), int(data.size()));
}

// An ID3v2.4 tag with UTF-8 text frames, as today's taggers write them.
QByteArray id3v2Tag(const QString& title, const QString& artist, const QString& album)
{
    TagLib::ID3v2::FrameFactory::instance()->setDefaultTextEncoding(TagLib::String::UTF8);
    TagLib::ID3v2::Tag tag;
    const auto text = [](const QString& s) { return TagLib::String(s.toStdString(), TagLib::String::UTF8); };
    tag.setTitle(text(title));
    tag.setArtist(text(artist));
    tag.setAlbum(text(album));
    const TagLib::ByteVector bytes = tag.render(TagLib::ID3v2::v4);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// A PulseAudio server of our own with a null sink, reached through a socket
// in a private folder, so that both players really play and nothing is heard.
class PulseServer
{
public:
    bool start(const QString& folder, QString* error)
    {
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (exe.isEmpty()) {
            *error = QStringLiteral("pulseaudio not found (Debian package pulseaudio)");
            return false;
        }
        QDir().mkpath(folder + QStringLiteral("/runtime"));
        QDir().mkpath(folder + QStringLiteral("/home"));
        QFile::setPermissions(folder + QStringLiteral("/runtime"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString socket = folder + QStringLiteral("/native");
        m_server = QStringLiteral("unix:") + socket;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder + QStringLiteral("/runtime"));
        env.insert(QStringLiteral("HOME"), folder + QStringLiteral("/home"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.remove(QStringLiteral("PULSE_SERVER"));
        m_child.emplace(exe,
                        QStringList{QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disable-shm"),
                                    QStringLiteral("-L"), QStringLiteral("module-null-sink"), QStringLiteral("-L"),
                                    QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket},
                        env, folder, true);
        m_child->start();
        QDeadlineTimer until(15'000);
        while (!commandOutput(QStringLiteral("pactl"), {QStringLiteral("info")}, clientEnvironment(), 2000)) {
            if (!m_child->alive() || until.hasExpired()) {
                *error = QStringLiteral("pulseaudio did not start: ") + m_child->diagnostics();
                m_child.reset();
                return false;
            }
            pause(100);
        }
        return true;
    }

    // What a client needs to reach this server and no other.
    QProcessEnvironment clientEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), m_server);
        return env;
    }
    void addTo(QProcessEnvironment& env) const { env.insert(QStringLiteral("PULSE_SERVER"), m_server); }

    // The stream a process plays into the sink: "none", "corked" or "playing".
    QString streamOf(qint64 pid) const
    {
        const std::optional<QByteArray> out =
            commandOutput(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")},
                          clientEnvironment());
        if (!out)
            return QStringLiteral("unknown (pactl failed)");
        const QByteArray want = "application.process.id = \"" + QByteArray::number(pid) + '"';
        // One block per sink input, each starting at "Sink Input #".
        for (const QByteArray& block : out->split('#')) {
            if (!block.contains(want))
                continue;
            return block.contains("Corked: yes") ? QStringLiteral("corked") : QStringLiteral("playing");
        }
        return QStringLiteral("none");
    }

private:
    std::optional<Child> m_child;
    QString m_server;
};

// A session bus of our own, so that each player's run has its own bus: the
// players cannot meet each other's names, and nothing else talks on it.
class SessionBus
{
public:
    bool start(const QString& folder, QString* error)
    {
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (exe.isEmpty()) {
            *error = QStringLiteral("dbus-daemon not found (Debian package dbus)");
            return false;
        }
        m_child.emplace(exe,
                        QStringList{QStringLiteral("--session"), QStringLiteral("--nofork"),
                                    QStringLiteral("--print-address=1")},
                        QProcessEnvironment::systemEnvironment(), folder);
        m_child->start();
        if (!m_child->waitForLine([this](const QByteArray& line) {
                if (!line.startsWith("unix:"))
                    return false;
                m_address = QString::fromLatin1(line);
                return true;
            }, QDeadlineTimer(10'000))) {
            *error = QStringLiteral("dbus-daemon did not start: ") + m_child->diagnostics();
            m_child.reset();
            return false;
        }
        return true;
    }

    QString address() const { return m_address; }

private:
    std::optional<Child> m_child;
    QString m_address;
};

inline qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double nsToMs(qint64 ns)
{
    return double(ns) / 1e6;
}

// The driver's own connection to a private bus, for what it asks and tells
// the player on the driver's thread (operations, states, names).
class BusClient
{
public:
    explicit BusClient(const QString& address)
        : m_name(QStringLiteral("yk-bench-client-%1").arg(++s_count))
        , m_bus(QDBusConnection::connectToBus(address, m_name))
    {
    }
    ~BusClient() { QDBusConnection::disconnectFromBus(m_name); }
    BusClient(const BusClient&) = delete;
    BusClient& operator=(const BusClient&) = delete;

    bool connected() const { return m_bus.isConnected(); }

    bool hasOwner(const QString& name) const
    {
        const QDBusReply<bool> reply = m_bus.interface()->isServiceRegistered(name);
        return reply.isValid() && reply.value();
    }

    QDBusMessage call(const QDBusMessage& message, int timeoutMs = 5000)
    {
        return m_bus.call(message, QDBus::Block, timeoutMs);
    }

private:
    static inline int s_count = 0;
    QString m_name;
    QDBusConnection m_bus;
};

const QString kMprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kMprisPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kDBusProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusMessage propertyGet(const QString& service, const QString& property)
{
    QDBusMessage get = QDBusMessage::createMethodCall(service, kMprisPath, kDBusProperties, QStringLiteral("Get"));
    get << kMprisPlayer << property;
    return get;
}

// A property of the player's MPRIS object, or an invalid QVariant.
QVariant playerProperty(BusClient& client, const QString& service, const QString& property)
{
    const QDBusMessage reply = client.call(propertyGet(service, property));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

// The id MPRIS gives the current track (SetPosition names it), or empty.
QString currentTrackId(BusClient& client, const QString& service)
{
    const QVariant metadata = playerProperty(client, service, QStringLiteral("Metadata"));
    if (!metadata.isValid())
        return {};
    const QVariantMap map = metadata.canConvert<QDBusArgument>() ? qdbus_cast<QVariantMap>(metadata)
                                                                  : metadata.toMap();
    const QVariant id = map.value(QStringLiteral("mpris:trackid"));
    if (id.canConvert<QDBusObjectPath>())
        return id.value<QDBusObjectPath>().path();
    return id.toString();
}

// Sends one method call over and over from a thread of its own, on a
// connection of its own, one every `periodMs` (at once after an answer that
// took longer than that), and notes each round trip. The driver's thread
// stays free to run the operations meanwhile, and a question never waits for
// the driver. A question sent while the player's thread is busy is answered
// when the thread comes back: its round trip is the length of the stall.
class CallProbe
{
public:
    struct Answer
    {
        enum Kind
        {
            Reply,      // the player answered
            ErrorReply, // the player answered with an error
            NoOwner,    // nobody holds the name yet: the bus daemon answered
            TimedOut,   // no answer within the time-out
            Failed      // the player left the bus or the connection broke
        };
        qint64 sentNs = 0;
        qint64 roundTripNs = 0;
        Kind kind = Reply;
    };

    CallProbe(QString address, QDBusMessage message, int periodMs = 10, int timeoutMs = 5000)
        : m_address(std::move(address))
        , m_message(std::move(message))
        , m_periodMs(periodMs)
        , m_timeoutMs(timeoutMs)
    {
    }
    ~CallProbe() { stop(); }
    CallProbe(const CallProbe&) = delete;
    CallProbe& operator=(const CallProbe&) = delete;

    // Returns once the probe's connection is up and its first question is
    // on its way; false with `error` set when it could not connect.
    bool start(QString* error)
    {
        std::future<QString> ready = m_connected.get_future();
        m_thread = std::thread([this] { loop(); });
        *error = ready.get();
        if (!error->isEmpty()) {
            m_thread.join();
            return false;
        }
        return true;
    }

    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    // After stop().
    const std::vector<Answer>& answers() const { return m_answers; }
    int timeoutMs() const { return m_timeoutMs; }

private:
    void loop()
    {
        const QString name = QStringLiteral("yk-bench-probe-%1").arg(quintptr(this));
        {
            QDBusConnection bus = QDBusConnection::connectToBus(m_address, name);
            if (!bus.isConnected()) {
                m_connected.set_value(QStringLiteral("the probe could not connect to the bus: ")
                                    + bus.lastError().message());
                QDBusConnection::disconnectFromBus(name);
                return;
            }
            m_answers.reserve(100'000);
            m_connected.set_value(QString());
            const auto period = std::chrono::milliseconds(m_periodMs);
            auto next = std::chrono::steady_clock::now();
            while (!m_stop) {
                Answer a;
                a.sentNs = monotonicNs();
                const QDBusMessage reply = bus.call(m_message, QDBus::Block, m_timeoutMs);
                a.roundTripNs = monotonicNs() - a.sentNs;
                a.kind = kindOf(reply, a.roundTripNs);
                m_answers.push_back(a);
                next += period;
                const auto now = std::chrono::steady_clock::now();
                if (next < now)
                    next = now;
                else
                    std::this_thread::sleep_until(next);
            }
        }
        QDBusConnection::disconnectFromBus(name);
    }

    Answer::Kind kindOf(const QDBusMessage& reply, qint64 roundTripNs) const
    {
        if (reply.type() == QDBusMessage::ReplyMessage)
            return Answer::Reply;
        const QString error = reply.errorName();
        if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
            || error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
            return Answer::NoOwner;
        if (error == QLatin1String("org.freedesktop.DBus.Error.NoReply")
            || error == QLatin1String("org.freedesktop.DBus.Error.Timeout")
            || error == QLatin1String("org.freedesktop.DBus.Error.TimedOut"))
            // The bus daemon also says NoReply when the player leaves the
            // bus with the question unanswered.
            return roundTripNs >= qint64(m_timeoutMs) * 900'000 ? Answer::TimedOut : Answer::Failed;
        if (error == QLatin1String("org.freedesktop.DBus.Error.Disconnected"))
            return Answer::Failed;
        return Answer::ErrorReply;
    }

    QString m_address;
    QDBusMessage m_message;
    int m_periodMs;
    int m_timeoutMs;
    std::atomic<bool> m_stop{false};
    std::promise<QString> m_connected; // the connection's outcome, told once
    std::thread m_thread;
    std::vector<Answer> m_answers; // the probe's thread's until stop()
};

// The answers sent in [fromNs, toNs): their round trips, longest first of
// all, and what else came back.
struct ProbeFigures
{
    double longestMs = 0;
    double p99Ms = 0;
    double medianMs = 0;
    qint64 longestSentNs = 0;
    int answers = 0;      // round trips counted: replies, error replies, time-outs
    int errorReplies = 0;
    int timedOut = 0;
    int failed = 0;
    int noOwner = 0;
};

ProbeFigures figuresOf(const std::vector<CallProbe::Answer>& all, qint64 fromNs, qint64 toNs)
{
    ProbeFigures f;
    std::vector<double> ms;
    for (const CallProbe::Answer& a : all) {
        if (a.sentNs < fromNs || a.sentNs >= toNs)
            continue;
        switch (a.kind) {
        case CallProbe::Answer::NoOwner:
            ++f.noOwner;
            continue;
        case CallProbe::Answer::Failed:
            ++f.failed;
            continue;
        case CallProbe::Answer::TimedOut:
            ++f.timedOut;
            break;
        case CallProbe::Answer::ErrorReply:
            ++f.errorReplies;
            break;
        case CallProbe::Answer::Reply:
            break;
        }
        const double rt = nsToMs(a.roundTripNs);
        if (ms.empty() || rt > f.longestMs) {
            f.longestMs = rt;
            f.longestSentNs = a.sentNs;
        }
        ms.push_back(rt);
    }
    f.answers = static_cast<int>(ms.size());
    if (ms.empty())
        return f;
    f.medianMs = statsOf(ms).median;
    std::sort(ms.begin(), ms.end());
    f.p99Ms = ms[std::size_t(double(ms.size() - 1) * 0.99)];
    return f;
}

struct CpuRun
{
    QString name;
    std::optional<IdleCpu> cpu;
    QString streamBefore;
    QString streamAfter;
    qint64 rssKiB = -1; // at the end of the window
    QString note;
    // Set when the run went wrong in a way that leaves its figure without
    // meaning; the figure is still printed, with the note.
    bool valid = true;
};

class PlayerBench : BenchDriver<Options>
{
public:
    PlayerBench(Options options, QByteArray display)
        : BenchDriver(std::move(options), std::move(display), QStringLiteral("player-bench"))
    {
    }

    int run()
    {
        if (!rootReady())
            return 1;
        QElapsedTimer total;
        total.start();
        if (wants(QStringLiteral("scan")) || wants(QStringLiteral("list")))
            makeTreeOnce();
        if (wants(QStringLiteral("scan")))
            measureScan();
        if (wants(QStringLiteral("list")))
            measureList();
        if (wants(QStringLiteral("tick")))
            measureTick();
        if (wants(QStringLiteral("play")))
            measurePlaying();
        if (wants(QStringLiteral("lyrics")))
            measureLyrics();
        if (wants(QStringLiteral("idle")))
            measureIdleWithList();
        if (wants(QStringLiteral("stall")))
            measureStalls();
        say(QStringLiteral("benchmark time %1 s%2")
                .arg(double(total.elapsed()) / 1000.0, 0, 'f', 0)
                .arg(m_failures ? QStringLiteral(", %1 failed measurements").arg(m_failures) : QString()));
        return m_failures == 0 ? 0 : 1;
    }

private:
    bool wants(const QString& part) const { return m_o.parts.contains(part); }

    void fail(const QString& why)
    {
        say(QStringLiteral("  FAILED: ") + why);
        ++m_failures;
    }

    void makeTreeOnce()
    {
        if (!m_treeFiles.isEmpty())
            return;
        QElapsedTimer clock;
        clock.start();
        m_tree = folder(QStringLiteral("tree"));
        QDir().mkpath(m_tree);
        m_treeFiles = makeTree(m_tree, m_o.treeFiles, m_o.treeFolders);
        say(QStringLiteral("generated %1 media files and %2 others in %3 folders in %4 s")
                .arg(m_o.treeFiles)
                .arg(m_o.treeFolders)
                .arg(m_o.treeFolders)
                .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1));
        settleDisk(m_tree);
    }

    // ---------------------------------------------------------------- scan

    void measureScan()
    {
        say(QStringLiteral("\nFolder scan of %1 files in %2 folders, %3 rounds (after one untimed walk each)")
                .arg(m_o.treeFiles + m_o.treeFolders)
                .arg(m_o.treeFolders)
                .arg(m_o.rounds));
        const QString find = QStandardPaths::findExecutable(QStringLiteral("find"));
        std::vector<double> findMs;
        std::vector<double> scanMs;
        double worstStall = 0;
        bool countsRight = true;
        for (int round = -1; round < m_o.rounds; ++round) {
            const std::optional<double> f = timeCommand(find, {m_tree, QStringLiteral("-type"), QStringLiteral("f")});
            if (!f) {
                fail(QStringLiteral("find failed"));
                return;
            }
            PlayList list;
            MediaScanner scanner;
            // The program appends each result to its list on the UI thread:
            // that is part of what the user waits for, and of the stall.
            QObject::connect(&scanner, &MediaScanner::scanned, &list,
                             [&list](const QString&, const QStringList& entries) { list.append(entries); });
            QElapsedTimer clock;
            clock.start();
            double doneMs = -1;
            QObject::connect(&scanner, &MediaScanner::idle, &list,
                             [&] { doneMs = double(clock.nsecsElapsed()) / 1e6; });
            scanner.scan(m_tree);
            const double stall = longestStall([&] { return doneMs < 0; });
            if (list.count() != m_treeFiles.size())
                countsRight = false;
            if (round < 0)
                continue;
            findMs.push_back(*f);
            scanMs.push_back(doneMs);
            worstStall = std::max(worstStall, stall);
        }
        // The same timer with nothing else to do: what the machine's
        // scheduling alone costs.
        QElapsedTimer idle;
        idle.start();
        const double floorStall = longestStall([&] { return idle.elapsed() < 1000; });

        const Stats s = statsOf(scanMs);
        const Stats f = statsOf(findMs);
        say(QStringLiteral("  %1 %2 %3 %4").arg(QString(), -40).arg(QStringLiteral("median"), 10)
                .arg(QStringLiteral("min"), 10).arg(QStringLiteral("max"), 10));
        say(QStringLiteral("  %1 %2 %3 %4").arg(QStringLiteral("MediaScanner walk, entries appended"), -40)
                .arg(fmtMs(s.median), 10).arg(fmtMs(s.min), 10).arg(fmtMs(s.max), 10));
        say(QStringLiteral("  %1 %2 %3 %4").arg(QStringLiteral("find TREE -type f > /dev/null (reference)"), -40)
                .arg(fmtMs(f.median), 10).arg(fmtMs(f.min), 10).arg(fmtMs(f.max), 10));
        const double ratio = s.median / f.median;
        say(QStringLiteral("  goal: walk <= 1.5 x find (median): %1 x (%2)").arg(ratio, 0, 'f', 2).arg(verdict(ratio <= 1.5)));
        say(QStringLiteral("  longest UI-thread gap of a 5 ms timer during the walks: %1 (idle reference %2)")
                .arg(fmtMs(worstStall), fmtMs(floorStall)));
        say(QStringLiteral("  goal: gap < 100 ms: %1").arg(verdict(worstStall < 100)));
        if (!countsRight)
            fail(QStringLiteral("a walk did not find all %1 media files").arg(m_treeFiles.size()));
    }

    // ---------------------------------------------------------------- list

    void measureList()
    {
        const QString m3u = folder(QStringLiteral("viw.m3u"));
        if (!listfile::writePlayList(m3u, m_treeFiles)) {
            fail(QStringLiteral("cannot write ") + m3u);
            return;
        }
        say(QStringLiteral("\nReading a %1-entry viw.m3u (%2 MiB), median of %3 rounds after one untimed")
                .arg(m_treeFiles.size())
                .arg(double(QFileInfo(m3u).size()) / 1048576.0, 0, 'f', 1)
                .arg(std::max(5, m_o.rounds)));
        std::vector<double> readMs;
        std::vector<double> catMs;
        std::vector<double> wcMs;
        QStringList entries;
        const QString cat = QStandardPaths::findExecutable(QStringLiteral("cat"));
        const QString wc = QStandardPaths::findExecutable(QStringLiteral("wc"));
        for (int round = -1; round < std::max(5, m_o.rounds); ++round) {
            QElapsedTimer clock;
            clock.start();
            const std::optional<listfile::PlayList> read = listfile::readPlayList(m3u);
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            const std::optional<double> c = timeCommand(cat, {m3u});
            const std::optional<double> w = timeCommand(wc, {QStringLiteral("-l"), m3u});
            if (!read || !c || !w) {
                fail(QStringLiteral("the list could not be read"));
                return;
            }
            entries = read->entries;
            if (round < 0)
                continue;
            readMs.push_back(ms);
            catMs.push_back(*c);
            wcMs.push_back(*w);
        }
        if (entries != m_treeFiles)
            fail(QStringLiteral("the list read back differs from the list written"));

        QString audaciousNote;
        const std::optional<std::pair<double, double>> audacious = audaciousListOpen(m3u, &audaciousNote);

        auto row = [](const QString& name, const QString& value) {
            say(QStringLiteral("  %1 %2").arg(name, -52).arg(value, 10));
        };
        row(QStringLiteral("yk::listfile::readPlayList"), fmtMs(statsOf(readMs).median));
        row(QStringLiteral("cat FILE > /dev/null (floor, process start included)"), fmtMs(statsOf(catMs).median));
        row(QStringLiteral("wc -l FILE (floor, process start included)"), fmtMs(statsOf(wcMs).median));
        if (audacious) {
            row(QStringLiteral("audacious -H -e FILE: start to all entries listed"), fmtMs(audacious->first));
            row(QStringLiteral("audacious -H: start to answering (empty list)"), fmtMs(audacious->second));
            row(QStringLiteral("audacious: difference (opening the list)"), fmtMs(audacious->first - audacious->second));
            const double ratio = statsOf(readMs).median / (audacious->first - audacious->second);
            say(QStringLiteral("  readPlayList / audacious opening the list: %1 x").arg(ratio, 0, 'f', 3));
        } else {
            say(QStringLiteral("  audacious not timed: ") + audaciousNote);
        }

        const FirstDraw draw = playListWindowFirstDraw();
        if (!draw) {
            say(QStringLiteral("  first draw of the play-list window: not measured (playListWindowFirstDraw() is "
                               "empty)"));
        } else {
            QElapsedTimer clock;
            clock.start();
            const bool shown = draw(entries);
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            if (shown)
                row(QStringLiteral("first draw of the play-list window"), fmtMs(ms));
            else
                fail(QStringLiteral("the play-list window was not drawn"));
        }
    }

    // Audacious on a private D-Bus, asked through audtool how long its list
    // is; once with the list and once without, so that its own start-up can
    // be taken off. The times in ms, or nothing with `note` telling why.
    std::optional<std::pair<double, double>> audaciousListOpen(const QString& m3u, QString* note)
    {
        const QString exe = referenceExe();
        const QString audtool = QStandardPaths::findExecutable(QStringLiteral("audtool"));
        const QString dbus = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (exe.isEmpty() || audtool.isEmpty() || dbus.isEmpty()) {
            *note = QStringLiteral("needs audacious, audtool (package audacious) and dbus-daemon (package dbus)");
            return std::nullopt;
        }
        SessionBus bus;
        if (!bus.start(m_root.path(), note))
            return std::nullopt;
        const QString address = bus.address();
        auto timeOne = [&](const QStringList& args, qsizetype want, const QString& home) -> std::optional<double> {
            QProcessEnvironment env = referenceEnvironment(home);
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
            QElapsedTimer clock;
            clock.start();
            Child child(exe, args, env, home);
            child.start();
            QDeadlineTimer until(std::max(m_o.timeoutMs, 300'000));
            for (;;) {
                const std::optional<QByteArray> out =
                    commandOutput(audtool, {QStringLiteral("playlist-length")}, env, 5000);
                // The time includes up to one poll (20 ms plus audtool's own start).
                if (out && !out->trimmed().isEmpty() && out->trimmed().toLongLong() >= want)
                    return double(clock.nsecsElapsed()) / 1e6;
                if (!child.alive() || until.hasExpired()) {
                    *note = QStringLiteral("audacious did not list %1 entries: ").arg(want) + child.diagnostics();
                    return std::nullopt;
                }
                pause(20);
            }
        };
        const std::optional<double> empty =
            timeOne({QStringLiteral("-H")}, 0, freshFolder(QStringLiteral("aud-list-empty")));
        if (!empty)
            return std::nullopt;
        const std::optional<double> full = timeOne({QStringLiteral("-H"), QStringLiteral("-e"), m3u},
                                                   m_treeFiles.size(), freshFolder(QStringLiteral("aud-list-full")));
        if (!full)
            return std::nullopt;
        return std::make_pair(*full, *empty);
    }

    // ---------------------------------------------------------------- tick

    void measureTick()
    {
        const int ticks = 2000;
        say(QStringLiteral("\nCost of one clock tick, %1 ticks each").arg(ticks));
        const TickFactory factory = programTick();
        std::vector<std::pair<int, Stats>> rows;
        for (const int n : {10, 100'000}) {
            QStringList entries;
            entries.reserve(n);
            for (int i = 0; i < n; ++i)
                entries << (i < m_treeFiles.size() ? m_treeFiles[i]
                                                   : QStringLiteral("/music/album/track %1.mp3").arg(i));
            const TickStep step = factory(entries);
            std::vector<double> us;
            us.reserve(ticks);
            for (int i = 0; i < ticks; ++i) {
                QElapsedTimer clock;
                clock.start();
                step();
                us.push_back(double(clock.nsecsElapsed()) / 1e3);
                QCoreApplication::processEvents();
            }
            std::vector<double> sorted = us;
            std::sort(sorted.begin(), sorted.end());
            const double p99 = sorted[std::size_t(double(sorted.size() - 1) * 0.99)];
            const Stats s = statsOf(us);
            say(QStringLiteral("  %1 entries: median %2 us, 99th %3 us, max %4 us")
                    .arg(n, 7)
                    .arg(s.median, 0, 'f', 1)
                    .arg(p99, 0, 'f', 1)
                    .arg(s.max, 0, 'f', 1));
            rows.emplace_back(n, s);
        }
        const double ratio = rows[1].second.median / std::max(rows[0].second.median, 0.001);
        say(QStringLiteral("  100,000 entries against 10 (median): %1 x; the tick comes every 100,000 us")
                .arg(ratio, 0, 'f', 2));
    }

    // ---------------------------------------------------------------- play

    QString referenceExe() const
    {
        return m_o.reference.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("audacious")) : m_o.reference;
    }

    QString freshFolder(const QString& name) const
    {
        const QString dir = folder(name);
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        return dir;
    }

    // A home of its own, as on a new account: no earlier settings or lists.
    QProcessEnvironment referenceEnvironment(const QString& home) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
        return env;
    }

    QProcessEnvironment programEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("YK_REPORT_FIRST_PAINT"), QStringLiteral("1"));
        return env;
    }

    // yomikaze in a folder of its own (its data lives beside it), started
    // with `args`; null with `note` set when it showed no window.
    std::unique_ptr<Child> startProgram(const QString& name, const QStringList& args, const PulseServer& pulse,
                                        QString* note)
    {
        const QString dir = freshFolder(name);
        const QString exe = dir + QStringLiteral("/yomikaze");
        if (!copyExecutable(m_o.program, exe))
            throw std::runtime_error("cannot copy the program");
        QProcessEnvironment env = programEnvironment();
        pulse.addTo(env);
        auto child = std::make_unique<Child>(exe, args, env, dir);
        child->start();
        if (!child->waitForLine("first-paint", QDeadlineTimer(m_o.timeoutMs))) {
            *note = QStringLiteral("yomikaze: no first paint: ") + child->diagnostics();
            return nullptr;
        }
        return child;
    }

    std::unique_ptr<Child> startReference(const QString& name, const QStringList& args, bool window,
                                          const PulseServer& pulse, QString* note)
    {
        const QString exe = referenceExe();
        if (exe.isEmpty()) {
            *note = QStringLiteral("audacious not found (Debian package audacious)");
            return nullptr;
        }
        const QString home = freshFolder(name);
        QProcessEnvironment env = referenceEnvironment(home);
        pulse.addTo(env);
        auto child = std::make_unique<Child>(exe, args, env, home);
        child->start();
        // Without a window there is nothing to wait for: the settling time
        // before the CPU window covers its start.
        QDeadlineTimer until(m_o.timeoutMs);
        while (window && !hasViewableWindow(m_display, child->pid())) {
            if (!child->alive() || until.hasExpired()) {
                *note = QStringLiteral("audacious showed no window: ") + child->diagnostics();
                return nullptr;
            }
            pause(50);
        }
        if (!child->alive()) {
            *note = QStringLiteral("audacious ended at once: ") + child->diagnostics();
            return nullptr;
        }
        return child;
    }

    // Settles, then measures the child's CPU over the window, with its
    // stream in the sink looked at on both sides.
    void measureCpu(CpuRun& run, Child& child, const PulseServer& pulse)
    {
        pause(qint64(m_o.settleSeconds) * 1000);
        run.streamBefore = pulse.streamOf(child.pid());
        const CpuSample before = cpuSampleOf(child.pid());
        QElapsedTimer clock;
        clock.start();
        pause(qint64(m_o.seconds) * 1000);
        const CpuSample after = cpuSampleOf(child.pid());
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        run.streamAfter = pulse.streamOf(child.pid());
        run.rssKiB = memoryOf(child.pid()).rssKiB;
        if (!child.alive()) {
            run.note = QStringLiteral("ended during the window: ") + child.diagnostics();
            return;
        }
        run.cpu = idleCpuBetween(before, after, seconds);
    }

    bool startPulse(PulseServer& pulse)
    {
        QString error;
        if (pulse.start(folder(QStringLiteral("pulse")), &error))
            return true;
        fail(error);
        return false;
    }

    void measurePlaying()
    {
        const double length = m_o.settleSeconds + m_o.seconds + 15;
        say(QStringLiteral("\nCPU while playing a %1 s MP3 (sine tone, 128 kbit/s) into a PulseAudio null sink, "
                           "%2 s window after %3 s settling, each player in its own run")
                .arg(length)
                .arg(m_o.seconds)
                .arg(m_o.settleSeconds));
        const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
        if (lame.isEmpty()) {
            fail(QStringLiteral("lame not found (Debian package lame)"));
            return;
        }
        const QString dir = freshFolder(QStringLiteral("mp3"));
        const QString wav = dir + QStringLiteral("/tone.wav");
        const QString mp3 = dir + QStringLiteral("/tone.mp3");
        writeWave(wav, length, 44100, 2, 440);
        if (!timeCommand(lame, {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"), wav, mp3})) {
            fail(QStringLiteral("lame could not encode the tone"));
            return;
        }
        QFile::remove(wav);

        PulseServer pulse;
        if (!startPulse(pulse))
            return;
        std::vector<CpuRun> runs;
        {
            CpuRun r;
            r.name = QStringLiteral("yomikaze FILE.mp3");
            if (auto child = startProgram(QStringLiteral("play-yk"), {mp3}, pulse, &r.note))
                measureCpu(r, *child, pulse);
            runs.push_back(r);
        }
        {
            CpuRun r;
            r.name = QStringLiteral("audacious FILE.mp3 (window shown)");
            if (auto child = startReference(QStringLiteral("play-aud"), {mp3}, true, pulse, &r.note))
                measureCpu(r, *child, pulse);
            runs.push_back(r);
        }
        {
            CpuRun r;
            r.name = QStringLiteral("audacious -H FILE.mp3 (headless)");
            if (auto child = startReference(QStringLiteral("play-aud-h"), {QStringLiteral("-H"), mp3}, false, pulse,
                                            &r.note))
                measureCpu(r, *child, pulse);
            runs.push_back(r);
        }
        printCpu(runs, true);
    }

    // -------------------------------------------------------------- lyrics

    // A line every half second for ten minutes, in the two timed forms and
    // with a closing-tag line now and then, in Shift-JIS as most such files
    // are.
    static QByteArray denseLyrics()
    {
        QByteArray text;
        char line[160];
        for (int i = 0; i < 1200; ++i) {
            const int ms = i * 500;
            const int m = ms / 60000;
            const int sec = (ms / 1000) % 60;
            const int cc = (ms % 1000) / 10;
            if (i % 3 == 0)
                std::snprintf(line, sizeof line, "[%02d:%02d]line %d \x82\xa0\x82\xa2\r\n", m, sec, i);
            else if (i % 3 == 1)
                std::snprintf(line, sizeof line, "[%02d:%02d.%02d]line %d\r\n", m, sec, cc, i);
            else
                std::snprintf(line, sizeof line, "[%02d:%02d.%02d]li[%02d:%02d.%02d]ne %d[%02d:%02d.%02d]\r\n", m, sec,
                              cc, m, sec, std::min(cc + 10, 99), i, m, sec, std::min(cc + 20, 99));
            text += line;
        }
        return text;
    }

    void measureLyrics()
    {
        const double length = m_o.settleSeconds + m_o.seconds + 15;
        say(QStringLiteral("\nCPU while playing a %1 s MP3 with and without a lyrics file beside it (1,200 lines, "
                           "one every 0.5 s), %2 s window after %3 s settling, each in its own run")
                .arg(length)
                .arg(m_o.seconds)
                .arg(m_o.settleSeconds));
        const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
        if (lame.isEmpty()) {
            fail(QStringLiteral("lame not found (Debian package lame)"));
            return;
        }
        const QString plainDir = freshFolder(QStringLiteral("lyrics-plain"));
        const QString lyricsDir = freshFolder(QStringLiteral("lyrics-with"));
        const QString wav = plainDir + QStringLiteral("/tone.wav");
        const QString plain = plainDir + QStringLiteral("/tone.mp3");
        const QString withLyrics = lyricsDir + QStringLiteral("/tone.mp3");
        writeWave(wav, length, 44100, 2, 440);
        if (!timeCommand(lame, {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"), wav, plain})
            || !QFile::copy(plain, withLyrics)) {
            fail(QStringLiteral("lame could not encode the tone"));
            return;
        }
        QFile::remove(wav);
        QFile lyrics(lyricsDir + QStringLiteral("/tone.txt"));
        if (!lyrics.open(QIODevice::WriteOnly) || lyrics.write(denseLyrics()) < 0) {
            fail(QStringLiteral("cannot write the lyrics file"));
            return;
        }
        lyrics.close();

        PulseServer pulse;
        if (!startPulse(pulse))
            return;
        std::vector<CpuRun> runs;
        for (const auto& [name, file] : {std::pair{QStringLiteral("yomikaze FILE.mp3 with lyrics"), withLyrics},
                                         std::pair{QStringLiteral("yomikaze FILE.mp3 without lyrics"), plain}}) {
            CpuRun r;
            r.name = name;
            if (auto child = startProgram(QStringLiteral("lyrics-yk"), {file}, pulse, &r.note))
                measureCpu(r, *child, pulse);
            runs.push_back(r);
        }
        {
            CpuRun r;
            r.name = QStringLiteral("audacious -H FILE.mp3 (headless)");
            if (auto child = startReference(QStringLiteral("lyrics-aud-h"), {QStringLiteral("-H"), plain}, false,
                                            pulse, &r.note))
                measureCpu(r, *child, pulse);
            runs.push_back(r);
        }
        printCpu(runs, true);
        if (runs[0].cpu && runs[1].cpu) {
            const double with = runs[0].cpu->percent;
            const double without = runs[1].cpu->percent;
            const double over = without > 0 ? (with - without) / without * 100.0 : 0.0;
            say(QStringLiteral("  with lyrics against without: %1 % against %2 % of one core (%3%4 %); "
                               "within 10 %: %5")
                    .arg(with, 0, 'f', 3)
                    .arg(without, 0, 'f', 3)
                    .arg(over >= 0 ? QStringLiteral("+") : QString())
                    .arg(over, 0, 'f', 1)
                    .arg(verdict(over <= 10.0)));
        }
    }

    // ---------------------------------------------------------------- idle

    void measureIdleWithList()
    {
        say(QStringLiteral("\nIdle CPU and memory with %1 tagged entries in the list and nothing playing, %2 s window after %3 s "
                           "settling, each in its own run")
                .arg(m_o.idleEntries)
                .arg(m_o.seconds)
                .arg(m_o.settleSeconds));
        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (xdotool.isEmpty()) {
            fail(QStringLiteral("xdotool not found (Debian package xdotool)"));
            return;
        }
        const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
        if (lame.isEmpty()) {
            fail(QStringLiteral("lame not found (Debian package lame)"));
            return;
        }
        const QString dir = freshFolder(QStringLiteral("tagged"));
        QElapsedTimer clock;
        clock.start();
        const QString model = dir + QStringLiteral("/model.wav");
        writeWave(model, 0.2, 22050, 1, 440);
        const QString modelMp3 = dir + QStringLiteral("/model.mp3");
        if (!timeCommand(lame, {QStringLiteral("--silent"), model, modelMp3}))
            throw std::runtime_error("lame could not encode the model file");
        QFile modelFile(modelMp3);
        if (!modelFile.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read the model MP3 file");
        const QByteArray audio = modelFile.readAll();
        modelFile.close();
        QFile::remove(model);
        QFile::remove(modelMp3);
        for (int i = 0; i < m_o.idleEntries; ++i) {
            const QByteArray path = QFile::encodeName(dir + QStringLiteral("/tone %1.mp3").arg(i, 5, 10, QLatin1Char('0')));
            const QByteArray bytes = id3v2Tag(QStringLiteral("曲 %1 の題名").arg(i), QStringLiteral("歌い手 %1").arg(i % 300),
                                              QStringLiteral("アルバム %1").arg(i / 12))
                + audio;
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            const bool written = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
            if (fd >= 0)
                ::close(fd);
            if (!written)
                throw std::runtime_error("cannot write the small MP3 files");
        }
        say(QStringLiteral("  wrote %1 tagged MP3 files of 0.2 s in %2 s").arg(m_o.idleEntries).arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1));

        PulseServer pulse;
        if (!startPulse(pulse))
            return;
        std::vector<CpuRun> runs;
        {
            CpuRun r;
            r.name = QStringLiteral("yomikaze FOLDER, then End");
            if (auto child = startProgram(QStringLiteral("idle-yk"), {dir}, pulse, &r.note)) {
                if (stopWithEnd(*child, pulse, xdotool, r))
                    measureCpu(r, *child, pulse);
            }
            runs.push_back(r);
        }
        {
            CpuRun r;
            r.name = QStringLiteral("audacious -e FOLDER (window shown)");
            if (auto child = startReference(QStringLiteral("idle-aud"), {QStringLiteral("-e"), dir}, true, pulse,
                                            &r.note))
                measureCpu(r, *child, pulse);
            runs.push_back(r);
        }
        printCpu(runs, false);
    }

    // Waits for the list to start playing, then presses End on the
    // program's window (focus first, then the key through XTEST, as a user
    // would) and waits for the stream to stop.
    bool stopWithEnd(Child& child, const PulseServer& pulse, const QString& xdotool, CpuRun& run)
    {
        QString* note = &run.note;
        QProcessEnvironment env = programEnvironment();
        QDeadlineTimer until(m_o.timeoutMs);
        while (pulse.streamOf(child.pid()) != QStringLiteral("playing")) {
            if (until.hasExpired()) {
                // Still worth a figure (the program with the folder on its
                // command line), but not the one asked for: nothing shows
                // that the list was filled.
                run.valid = false;
                *note = QStringLiteral("the list did not start playing within %1 s, so nothing shows that it was "
                                       "filled; End pressed anyway")
                            .arg(m_o.timeoutMs / 1000);
                break;
            }
            pause(200);
        }
        const std::optional<QByteArray> ids = commandOutput(
            xdotool, {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                      QString::number(child.pid())},
            env);
        const QByteArray window = ids ? ids->trimmed().split('\n').value(0) : QByteArray();
        if (window.isEmpty()) {
            *note = QStringLiteral("xdotool found no window of yomikaze");
            return false;
        }
        // The stream may be the opening sound, and a stream can be missing
        // for a moment between two files: playback counts as stopped only
        // once nothing has played for two seconds after the key.
        for (int attempt = 1; attempt <= 3; ++attempt) {
            commandOutput(xdotool, {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::fromLatin1(window)},
                          env);
            commandOutput(xdotool, {QStringLiteral("key"), QStringLiteral("End")}, env);
            QDeadlineTimer quiet(2000);
            QDeadlineTimer giveUp(5000);
            while (!quiet.hasExpired() && !giveUp.hasExpired()) {
                if (pulse.streamOf(child.pid()) == QStringLiteral("playing"))
                    quiet.setRemainingTime(2000);
                pause(100);
            }
            if (quiet.hasExpired()) {
                if (attempt > 1)
                    say(QStringLiteral("  note: End had to be pressed %1 times").arg(attempt));
                return true;
            }
        }
        *note = QStringLiteral("still playing after End was pressed three times");
        return false;
    }

    void printCpu(const std::vector<CpuRun>& runs, bool mustPlay)
    {
        const double tick = 100.0 / double(::sysconf(_SC_CLK_TCK)) / m_o.seconds;
        say(QStringLiteral("  %1 %2 %3 %4 %5  %6")
                .arg(QStringLiteral("program"), -38)
                .arg(QStringLiteral("CPU of one core"), 16)
                .arg(QStringLiteral("wake-ups/s"), 11)
                .arg(QStringLiteral("threads"), 8)
                .arg(QStringLiteral("RSS MiB"), 8)
                .arg(QStringLiteral("stream in the sink (start / end of window)")));
        for (const CpuRun& r : runs) {
            if (!r.cpu) {
                say(QStringLiteral("  %1 (failed) %2").arg(r.name, -38).arg(r.note));
                ++m_failures;
                continue;
            }
            say(QStringLiteral("  %1 %2 %3 %4 %5  %6 / %7")
                    .arg(r.name, -38)
                    .arg(QStringLiteral("%1 %").arg(r.cpu->percent, 0, 'f', 3), 16)
                    .arg(r.cpu->wakeupsPerSecond, 11, 'f', 1)
                    .arg(r.cpu->threads, 8)
                    .arg(double(r.rssKiB) / 1024.0, 8, 'f', 1)
                    .arg(r.streamBefore, r.streamAfter));
            const bool playing = r.streamBefore == QStringLiteral("playing") && r.streamAfter == QStringLiteral("playing");
            if (mustPlay && !playing) {
                say(QStringLiteral("    ^ did not play all through the window: not a valid figure"));
                ++m_failures;
            }
            if (!mustPlay && playing) {
                say(QStringLiteral("    ^ was playing: not an idle figure"));
                ++m_failures;
            }
            if (!r.valid) {
                say(QStringLiteral("    ^ not a valid figure: ") + r.note);
                ++m_failures;
            } else if (!r.note.isEmpty()) {
                say(QStringLiteral("    note: ") + r.note);
            }
            if (!r.cpu->busiest.isEmpty())
                say(QStringLiteral("    threads that ran: ") + r.cpu->busiest.join(QStringLiteral(", ")));
        }
        say(QStringLiteral("  (one clock tick of CPU time = %1 %)").arg(tick, 0, 'f', 3));
    }

    // --------------------------------------------------------------- stall

    // What the driver does to a player over MPRIS while the probe asks it
    // for its position, in this order, kOperationGapMs apart: every kind of
    // call that reaches the sound engine, each state change in both
    // directions, and moves within a track and between tracks.
    enum class OperationArgs
    {
        None,
        SeekForward,  // Seek(+2 s)
        SetPosition   // SetPosition(current track, 5 s)
    };
    struct Operation
    {
        const char* label;
        const char* method;
        OperationArgs args;
        const char* expected; // PlaybackStatus once it has taken effect
    };
    static constexpr Operation kOperations[] = {
        {"Next", "Next", OperationArgs::None, "Playing"},
        {"Previous", "Previous", OperationArgs::None, "Playing"},
        {"Seek+2s", "Seek", OperationArgs::SeekForward, "Playing"},
        {"Pause", "Pause", OperationArgs::None, "Paused"},
        {"Play", "Play", OperationArgs::None, "Playing"},
        {"Stop", "Stop", OperationArgs::None, "Stopped"},
        {"Play", "Play", OperationArgs::None, "Playing"},
        {"Next", "Next", OperationArgs::None, "Playing"},
        {"SetPosition5s", "SetPosition", OperationArgs::SetPosition, "Playing"},
        {"Pause", "Pause", OperationArgs::None, "Paused"},
        {"Play", "Play", OperationArgs::None, "Playing"},
        {"Stop", "Stop", OperationArgs::None, "Stopped"},
    };
    static constexpr int kOperationGapMs = 800;
    static constexpr int kStatusLookMs = 600; // after the operation, before the next
    static constexpr int kQuietMs = 1000;     // probed before the first and after the last operation
    static constexpr int kProbePeriodMs = 10;
    static constexpr int kStallTracks = 4;

    enum class Sound
    {
        NullSink, // our PulseAudio server with its null sink
        NoServer  // PULSE_SERVER names a socket that does not exist
    };

    struct StallPlan
    {
        QString label;
        bool reference = false; // Audacious instead of yomikaze
        Sound sound = Sound::NullSink;
        QString gstRegistry;    // GST_REGISTRY for the run; empty: the user's own
        bool fromStart = false; // probe from the start through the first sound, no operations
    };

    static StallPlan planNamed(const QString& label)
    {
        StallPlan plan;
        plan.label = label;
        return plan;
    }

    struct StallRow
    {
        QString name;
        std::optional<ProbeFigures> figures;
        double slowestOperationMs = -1;
        QString slowestOperation;
        QStringList perOperation; // longest answer after each operation
        QStringList notTakenEffect;
        double toBusMs = -1;   // start to the first answer from the player
        double toSoundMs = -1; // start to its stream playing in the sink
        QString note;
        bool valid = true;
    };

    // The generated music folder: kStallTracks MP3 files of different tones,
    // long enough that none ends during the settling and the operations.
    QString stallTracks()
    {
        if (!m_stallFolder.isEmpty())
            return m_stallFolder;
        const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
        if (lame.isEmpty())
            throw std::runtime_error("lame not found (Debian package lame)");
        const QString dir = freshFolder(QStringLiteral("stall-music"));
        const double seconds = m_o.settleSeconds + 15;
        for (int i = 0; i < kStallTracks; ++i) {
            const QString wav = dir + QStringLiteral("/tone.wav");
            const QString mp3 = dir + QStringLiteral("/track %1.mp3").arg(i + 1);
            writeWave(wav, seconds, 44100, 2, 330.0 + 110.0 * i);
            if (!timeCommand(lame, {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"), wav, mp3}))
                throw std::runtime_error("lame could not encode the tracks");
            QFile::remove(wav);
        }
        m_stallFolder = dir;
        return dir;
    }

    // Audacious keeps which plugins are on in plugin-registry under its
    // config folder, one block per plugin that starts with "<kind> <path>"
    // and holds an "enabled 0|1" line; it writes the file when it quits. A
    // first run in the fresh home writes it with this installation's paths
    // and stamps, and the MPRIS 2 server's block is then switched on, so
    // that the run measured does not depend on that plugin's default.
    bool enableAudaciousMpris(const QString& exe, const QProcessEnvironment& env, const QString& home, QString* note)
    {
        const QString audtool = QStandardPaths::findExecutable(QStringLiteral("audtool"));
        if (audtool.isEmpty()) {
            *note = QStringLiteral("audtool not found (Debian package audacious)");
            return false;
        }
        {
            BusClient client(env.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")));
            Child first(exe, {QStringLiteral("-H")}, env, home);
            first.logTo(home + QStringLiteral("/first-run.log"));
            first.start();
            QDeadlineTimer until(m_o.timeoutMs);
            while (!client.hasOwner(QStringLiteral("org.atheme.audacious"))) {
                if (!first.alive() || until.hasExpired()) {
                    *note = QStringLiteral("audacious's first run did not come on the bus: ") + first.diagnostics();
                    return false;
                }
                pause(50);
            }
            commandOutput(audtool, {QStringLiteral("--shutdown")}, env);
            if (!first.waitForExit(10'000)) {
                *note = QStringLiteral("audacious did not quit on audtool --shutdown");
                return false;
            }
        }
        QFile registry(env.value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/audacious/plugin-registry"));
        if (!registry.open(QIODevice::ReadOnly)) {
            *note = QStringLiteral("audacious wrote no plugin-registry");
            return false;
        }
        QList<QByteArray> lines = registry.readAll().split('\n');
        registry.close();
        bool inBlock = false;
        bool switched = false;
        for (QByteArray& line : lines) {
            if (line.startsWith("general ")) {
                inBlock = line.endsWith("/mpris2.so");
                continue;
            }
            if (inBlock && line.startsWith("enabled ")) {
                line = "enabled 1";
                switched = true;
                break;
            }
        }
        if (!switched) {
            *note = QStringLiteral("audacious's MPRIS 2 server (mpris2, package audacious-plugins) is not installed");
            return false;
        }
        if (!registry.open(QIODevice::WriteOnly | QIODevice::Truncate) || registry.write(lines.join('\n')) < 0) {
            *note = QStringLiteral("cannot write audacious's plugin-registry");
            return false;
        }
        return true;
    }

    // One player's run on a bus of its own: either settled, then the
    // operations with the probe running, or the probe from the start
    // through the first sound.
    StallRow probeRun(const QString& runName, const StallPlan& plan, const PulseServer* pulse)
    {
        StallRow row;
        row.name = plan.label;
        const QString dir = freshFolder(runName);
        SessionBus bus;
        if (!bus.start(dir, &row.note))
            return row;
        QProcessEnvironment env = plan.reference ? referenceEnvironment(dir) : programEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        if (plan.sound == Sound::NullSink)
            pulse->addTo(env);
        else
            env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + dir + QStringLiteral("/no-sound-server"));
        if (!plan.gstRegistry.isEmpty()) {
            // GStreamer 1.x reads the second name first.
            env.insert(QStringLiteral("GST_REGISTRY"), plan.gstRegistry);
            env.insert(QStringLiteral("GST_REGISTRY_1_0"), plan.gstRegistry);
        }
        QString exe;
        QString service;
        if (plan.reference) {
            exe = referenceExe();
            if (exe.isEmpty()) {
                row.note = QStringLiteral("audacious not found (Debian package audacious)");
                return row;
            }
            if (!enableAudaciousMpris(exe, env, dir, &row.note))
                return row;
            service = QStringLiteral("org.mpris.MediaPlayer2.audacious");
        } else {
            exe = dir + QStringLiteral("/yomikaze");
            if (!copyExecutable(m_o.program, exe))
                throw std::runtime_error("cannot copy the program");
            service = MprisService::kBusName;
        }

        BusClient client(bus.address());
        if (!client.connected()) {
            row.note = QStringLiteral("the driver could not connect to its bus");
            return row;
        }
        CallProbe probe(bus.address(), propertyGet(service, QStringLiteral("Position")), kProbePeriodMs);
        Child child(exe, {stallTracks()}, env, dir);
        child.logTo(dir + QStringLiteral("/output.log"));
        const auto playing = [&] { return pulse && pulse->streamOf(child.pid()) == QStringLiteral("playing"); };

        if (plan.fromStart) {
            QString error;
            if (!probe.start(&error)) {
                row.note = error;
                return row;
            }
            const qint64 startNs = monotonicNs();
            child.start();
            // A first start may have to build the whole registry.
            const int limitMs = std::max(m_o.timeoutMs, 60'000);
            QDeadlineTimer until(limitMs);
            while (!playing()) {
                if (!child.alive() || until.hasExpired()) {
                    probe.stop();
                    row.note = QStringLiteral("no sound within %1 s: ").arg(limitMs / 1000) + child.diagnostics();
                    return row;
                }
                pause(100);
            }
            const qint64 soundNs = monotonicNs();
            probe.stop();
            row.toSoundMs = nsToMs(soundNs - startNs);
            for (const CallProbe::Answer& a : probe.answers()) {
                if (a.kind != CallProbe::Answer::NoOwner && a.sentNs >= startNs) {
                    row.toBusMs = nsToMs(a.sentNs + a.roundTripNs - startNs);
                    break;
                }
            }
            row.figures = figuresOf(probe.answers(), startNs, soundNs);
            checkProbe(row, probe);
            return row;
        }

        child.start();
        QDeadlineTimer until(m_o.timeoutMs);
        while (!client.hasOwner(service)) {
            if (!child.alive() || until.hasExpired()) {
                row.note = QStringLiteral("%1 not on the bus within %2 s: ").arg(service).arg(m_o.timeoutMs / 1000)
                    + child.diagnostics();
                return row;
            }
            pause(50);
        }
        if (plan.sound == Sound::NullSink) {
            while (!playing()) {
                if (!child.alive() || until.hasExpired()) {
                    row.note = QStringLiteral("no sound within %1 s: ").arg(m_o.timeoutMs / 1000) + child.diagnostics();
                    return row;
                }
                pause(100);
            }
        }
        pause(qint64(m_o.settleSeconds) * 1000);

        QString error;
        if (!probe.start(&error)) {
            row.note = error;
            return row;
        }
        const qint64 fromNs = monotonicNs();
        pause(kQuietMs);
        std::vector<qint64> opStartNs;
        for (const Operation& op : kOperations) {
            const qint64 startNs = monotonicNs();
            opStartNs.push_back(startNs);
            QVariantList args;
            if (op.args == OperationArgs::SeekForward)
                args << QVariant::fromValue(qlonglong(2'000'000));
            if (op.args == OperationArgs::SetPosition)
                args << QVariant::fromValue(QDBusObjectPath(currentTrackId(client, service)))
                     << QVariant::fromValue(qlonglong(5'000'000));
            QDBusMessage call = QDBusMessage::createMethodCall(service, kMprisPath, kMprisPlayer,
                                                               QString::fromLatin1(op.method));
            call.setArguments(args);
            const qint64 callNs = monotonicNs();
            const QDBusMessage reply = client.call(call);
            const double replyMs = nsToMs(monotonicNs() - callNs);
            if (reply.type() != QDBusMessage::ReplyMessage)
                row.notTakenEffect << QStringLiteral("%1 (error %2)").arg(QLatin1String(op.label), reply.errorName());
            if (replyMs > row.slowestOperationMs) {
                row.slowestOperationMs = replyMs;
                row.slowestOperation = QLatin1String(op.label);
            }
            pause(std::max<qint64>(0, kStatusLookMs - (monotonicNs() - startNs) / 1'000'000));
            const QString status = playerProperty(client, service, QStringLiteral("PlaybackStatus")).toString();
            if (status != QLatin1String(op.expected))
                row.notTakenEffect << QStringLiteral("%1 left it %2").arg(QLatin1String(op.label),
                                                                          status.isEmpty() ? QStringLiteral("?") : status);
            pause(std::max<qint64>(0, kOperationGapMs - (monotonicNs() - startNs) / 1'000'000));
        }
        pause(kQuietMs);
        const qint64 toNs = monotonicNs();
        probe.stop();
        if (!child.alive()) {
            row.note = QStringLiteral("ended during the operations: ") + child.diagnostics();
            return row;
        }
        row.figures = figuresOf(probe.answers(), fromNs, toNs);
        for (std::size_t i = 0; i < opStartNs.size(); ++i) {
            const qint64 end = i + 1 < opStartNs.size() ? opStartNs[i + 1] : toNs;
            const ProbeFigures f = figuresOf(probe.answers(), opStartNs[i], end);
            row.perOperation << QStringLiteral("%1 %2").arg(QLatin1String(kOperations[i].label)).arg(f.longestMs, 0, 'f', 1);
        }
        checkProbe(row, probe);
        return row;
    }

    // A figure counts only when the player answered all through the window.
    void checkProbe(StallRow& row, const CallProbe& probe)
    {
        const ProbeFigures& f = *row.figures;
        if (f.answers == 0) {
            row.valid = false;
            row.note = QStringLiteral("the player never answered the probe");
        } else if (f.failed > 0) {
            row.valid = false;
            row.note = QStringLiteral("%1 questions got no answer (the player left the bus?)").arg(f.failed);
        } else if (f.timedOut > 0) {
            row.note = QStringLiteral("%1 questions timed out after %2 s; they count as %2 s")
                           .arg(f.timedOut)
                           .arg(probe.timeoutMs() / 1000);
        }
        if (f.errorReplies > 0)
            row.note += (row.note.isEmpty() ? QString() : QStringLiteral("; "))
                + QStringLiteral("%1 of %2 answers were errors").arg(f.errorReplies).arg(f.answers);
    }

    // The probe against the bus daemon itself, which answers at once: what
    // the probe and the machine add to every round trip.
    std::optional<ProbeFigures> probeFloor()
    {
        SessionBus bus;
        QString error;
        if (!bus.start(freshFolder(QStringLiteral("stall-floor")), &error)) {
            fail(error);
            return std::nullopt;
        }
        CallProbe probe(bus.address(),
                        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                       QStringLiteral("/org/freedesktop/DBus"),
                                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
                        kProbePeriodMs);
        if (!probe.start(&error)) {
            fail(error);
            return std::nullopt;
        }
        const qint64 fromNs = monotonicNs();
        pause(3000);
        const qint64 toNs = monotonicNs();
        probe.stop();
        return figuresOf(probe.answers(), fromNs, toNs);
    }

    void printStallHeader(bool fromStart)
    {
        if (fromStart)
            say(QStringLiteral("  %1 %2 %3 %4 %5 %6")
                    .arg(QStringLiteral("player"), -52)
                    .arg(QStringLiteral("longest"), 9)
                    .arg(QStringLiteral("99th"), 9)
                    .arg(QStringLiteral("answers"), 8)
                    .arg(QStringLiteral("on the bus"), 11)
                    .arg(QStringLiteral("first sound"), 12));
        else
            say(QStringLiteral("  %1 %2 %3 %4 %5  %6")
                    .arg(QStringLiteral("player"), -52)
                    .arg(QStringLiteral("longest"), 9)
                    .arg(QStringLiteral("99th"), 9)
                    .arg(QStringLiteral("median"), 9)
                    .arg(QStringLiteral("answers"), 8)
                    .arg(QStringLiteral("slowest operation reply")));
    }

    void printStallRow(const StallRow& r, bool fromStart, bool mustTakeEffect)
    {
        if (!r.figures) {
            say(QStringLiteral("  %1 (failed) %2").arg(r.name, -52).arg(r.note));
            ++m_failures;
            return;
        }
        const ProbeFigures& f = *r.figures;
        if (fromStart)
            say(QStringLiteral("  %1 %2 %3 %4 %5 %6")
                    .arg(r.name, -52)
                    .arg(fmtMs(f.longestMs), 9)
                    .arg(fmtMs(f.p99Ms), 9)
                    .arg(f.answers, 8)
                    .arg(r.toBusMs < 0 ? QStringLiteral("-") : QStringLiteral("%1 s").arg(r.toBusMs / 1000, 0, 'f', 2), 11)
                    .arg(QStringLiteral("%1 s").arg(r.toSoundMs / 1000, 0, 'f', 2), 12));
        else
            say(QStringLiteral("  %1 %2 %3 %4 %5  %6 %7")
                    .arg(r.name, -52)
                    .arg(fmtMs(f.longestMs), 9)
                    .arg(fmtMs(f.p99Ms), 9)
                    .arg(fmtMs(f.medianMs), 9)
                    .arg(f.answers, 8)
                    .arg(r.slowestOperation, fmtMs(r.slowestOperationMs)));
        if (!r.perOperation.isEmpty())
            say(QStringLiteral("    longest answer after each operation (ms): ") + r.perOperation.join(QStringLiteral(", ")));
        if (!r.notTakenEffect.isEmpty()) {
            if (mustTakeEffect) {
                say(QStringLiteral("    ^ not a valid figure: operations without their effect: ")
                    + r.notTakenEffect.join(QStringLiteral(", ")));
                ++m_failures;
            } else {
                say(QStringLiteral("    note: ") + r.notTakenEffect.join(QStringLiteral(", ")));
            }
        }
        if (!r.valid) {
            say(QStringLiteral("    ^ not a valid figure: ") + r.note);
            ++m_failures;
        } else if (!r.note.isEmpty()) {
            say(QStringLiteral("    note: ") + r.note);
        }
    }

    static bool usable(const StallRow& r) { return r.figures && r.valid && r.figures->answers > 0; }

    void measureStalls()
    {
        QStringList steps;
        for (const Operation& op : kOperations)
            steps << QLatin1String(op.label);
        say(QStringLiteral("\nStalls: MPRIS Position asked every %1 ms from this process (own thread, own connection), "
                           "round trip of each answer, while %2 operations run over MPRIS %3 ms apart, after %4 s "
                           "settling, on %5 MP3 tracks; each player in its own run on a session bus of its own")
                .arg(kProbePeriodMs)
                .arg(std::size(kOperations))
                .arg(kOperationGapMs)
                .arg(m_o.settleSeconds)
                .arg(kStallTracks));
        say(QStringLiteral("  operations: ") + steps.join(QStringLiteral(", ")));
        stallTracks();
        PulseServer pulse;
        if (!startPulse(pulse))
            return;

        const std::optional<ProbeFigures> floor = probeFloor();
        printStallHeader(false);
        const StallRow yk = probeRun(QStringLiteral("stall-yk"), planNamed(QStringLiteral("yomikaze FOLDER")), &pulse);
        printStallRow(yk, false, true);
        StallPlan audPlan = planNamed(QStringLiteral("audacious FOLDER (window shown)"));
        audPlan.reference = true;
        const StallRow aud = probeRun(QStringLiteral("stall-aud"), audPlan, &pulse);
        printStallRow(aud, false, true);
        if (floor)
            say(QStringLiteral("  %1 %2 %3 %4 %5")
                    .arg(QStringLiteral("bus daemon's GetId, 3 s (the probe's own floor)"), -52)
                    .arg(fmtMs(floor->longestMs), 9)
                    .arg(fmtMs(floor->p99Ms), 9)
                    .arg(fmtMs(floor->medianMs), 9)
                    .arg(floor->answers, 8));
        if (usable(yk) && usable(aud)) {
            const double mine = yk.figures->longestMs;
            const double theirs = aud.figures->longestMs;
            say(QStringLiteral("  goal: yomikaze's longest <= 1.5 x audacious's and <= 50 ms: %1 against %2 (%3 x): %4")
                    .arg(fmtMs(mine), fmtMs(theirs))
                    .arg(mine / std::max(theirs, 0.001), 0, 'f', 2)
                    .arg(verdict(mine <= 1.5 * theirs && mine <= 50)));
        }

        say(QStringLiteral("\nStalls with no sound server (PULSE_SERVER names a socket that does not exist), the same "
                           "probe and operations"));
        printStallHeader(false);
        StallPlan ykQuiet = planNamed(QStringLiteral("yomikaze FOLDER, no sound server"));
        ykQuiet.sound = Sound::NoServer;
        printStallRow(probeRun(QStringLiteral("stall-yk-nosound"), ykQuiet, nullptr), false, false);
        StallPlan audQuiet = planNamed(QStringLiteral("audacious FOLDER (window shown), no sound server"));
        audQuiet.reference = true;
        audQuiet.sound = Sound::NoServer;
        printStallRow(probeRun(QStringLiteral("stall-aud-nosound"), audQuiet, nullptr), false, false);

        say(QStringLiteral("\nStalls from the start through the first track playing, the first time after the "
                           "GStreamer registry was removed (GST_REGISTRY names a new file), the probe only (it is "
                           "answered once the player is on the bus)"));
        printStallHeader(true);
        const QString registry = freshFolder(QStringLiteral("stall-gst")) + QStringLiteral("/registry.bin");
        StallPlan cold = planNamed(QStringLiteral("yomikaze FOLDER, no GStreamer registry"));
        cold.gstRegistry = registry;
        cold.fromStart = true;
        printStallRow(probeRun(QStringLiteral("stall-yk-cold"), cold, &pulse), true, false);
        const bool wrote = QFileInfo::exists(registry);
        const qint64 written = QFileInfo(registry).size();
        StallPlan warm = planNamed(QStringLiteral("yomikaze FOLDER, the registry that run wrote"));
        warm.gstRegistry = registry;
        warm.fromStart = true;
        printStallRow(probeRun(QStringLiteral("stall-yk-warm"), warm, &pulse), true, false);
        StallPlan audStart = planNamed(QStringLiteral("audacious FOLDER (window shown; uses no GStreamer)"));
        audStart.reference = true;
        audStart.fromStart = true;
        printStallRow(probeRun(QStringLiteral("stall-aud-start"), audStart, &pulse), true, false);
        if (wrote)
            say(QStringLiteral("  registry written by the first run: %1 KiB").arg(written / 1024));
        else {
            say(QStringLiteral("  ^ the first run wrote no registry at %1: GStreamer did not start").arg(registry));
            ++m_failures;
        }
    }

    QString m_tree;
    QStringList m_treeFiles;
    QString m_stallFolder;
};

int runMain(int argc, char** argv)
{
    // The driver's own event loop needs no screen; the windows of the
    // players measured go to the private X server.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Player benchmarks: folder scan, list read, tick cost, CPU while playing, idle CPU with a "
                       "long list and stalls under MPRIS control, each beside a reference measured in the same "
                       "run."));
    parser.addHelpOption();
    const QString here = QCoreApplication::applicationDirPath();
    const QStringList allParts{QStringLiteral("scan"), QStringLiteral("list"), QStringLiteral("tick"),
                               QStringLiteral("play"), QStringLiteral("lyrics"), QStringLiteral("idle"),
                               QStringLiteral("stall")};
    const QCommandLineOption program(QStringLiteral("program"), QStringLiteral("yomikaze executable."),
                                     QStringLiteral("path"), here + QStringLiteral("/../yomikaze"));
    const QCommandLineOption reference(QStringLiteral("reference"),
                                       QStringLiteral("Reference player (default: audacious on PATH)."),
                                       QStringLiteral("path"));
    const QCommandLineOption only(QStringLiteral("only"),
                                  QStringLiteral("Comma-separated parts to run: %1 (default: all).")
                                      .arg(allParts.join(QLatin1Char(','))),
                                  QStringLiteral("parts"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("CPU window in seconds (60)."),
                                     QStringLiteral("n"), QStringLiteral("60"));
    const QCommandLineOption settle(QStringLiteral("settle"),
                                    QStringLiteral("Seconds a player runs before its CPU window or its stall probe (10)."),
                                    QStringLiteral("n"), QStringLiteral("10"));
    const QCommandLineOption rounds(QStringLiteral("rounds"), QStringLiteral("Timed rounds of scan and read (3)."),
                                    QStringLiteral("n"), QStringLiteral("3"));
    const QCommandLineOption files(QStringLiteral("files"), QStringLiteral("Media files in the scanned tree (100000)."),
                                   QStringLiteral("n"), QStringLiteral("100000"));
    const QCommandLineOption folders(QStringLiteral("folders"), QStringLiteral("Folders in the scanned tree (5000)."),
                                     QStringLiteral("n"), QStringLiteral("5000"));
    const QCommandLineOption idleEntries(QStringLiteral("idle-entries"),
                                         QStringLiteral("Wave files in the idle list (10000)."), QStringLiteral("n"),
                                         QStringLiteral("10000"));
    const QCommandLineOption useDisplay(QStringLiteral("use-display"),
                                        QStringLiteral("Use $DISPLAY instead of starting a private Xvfb."));
    parser.addOptions({program, reference, only, seconds, settle, rounds, files, folders, idleEntries, useDisplay});
    parser.process(app);

    Options o;
    o.program = QFileInfo(parser.value(program)).absoluteFilePath();
    o.reference = parser.value(reference);
    o.parts = parser.isSet(only) ? parser.value(only).split(QLatin1Char(','), Qt::SkipEmptyParts) : allParts;
    for (const QString& p : std::as_const(o.parts)) {
        if (!allParts.contains(p)) {
            say(QStringLiteral("unknown part: %1 (parts: %2)").arg(p, allParts.join(QLatin1Char(','))));
            return 2;
        }
    }
    o.seconds = std::max(1, parser.value(seconds).toInt());
    o.settleSeconds = std::max(0, parser.value(settle).toInt());
    o.rounds = std::max(1, parser.value(rounds).toInt());
    o.treeFiles = std::max(1, parser.value(files).toInt());
    o.treeFolders = std::clamp(parser.value(folders).toInt(), 1, o.treeFiles);
    o.idleEntries = std::max(1, parser.value(idleEntries).toInt());
    o.useDisplay = parser.isSet(useDisplay);
    const bool needsProgram = o.parts.contains(QStringLiteral("play")) || o.parts.contains(QStringLiteral("lyrics"))
        || o.parts.contains(QStringLiteral("idle")) || o.parts.contains(QStringLiteral("stall"));
    if (needsProgram && !QFileInfo(o.program).isExecutable()) {
        say(QStringLiteral("not an executable: ") + o.program);
        return 2;
    }

    installInterruptHandlers();
    return runReported([&] {
        XServer server;
        QByteArray display;
        if (o.useDisplay) {
            display = qgetenv("DISPLAY");
            if (display.isEmpty()) {
                say(QStringLiteral("--use-display given but DISPLAY is not set"));
                return 2;
            }
        } else if (needsProgram || o.parts.contains(QStringLiteral("list"))) {
            QString error;
            if (!server.start(&error)) {
                say(error);
                return 2;
            }
            display = server.display();
        }
        PlayerBench bench(o, display);
        return bench.run();
    });
}

} // namespace
} // namespace yk::bench

int main(int argc, char** argv)
{
    return yk::bench::runMain(argc, argv);
}

#include "BenchX11.h"
