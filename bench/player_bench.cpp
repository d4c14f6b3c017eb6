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
//          Xvfb, all into a PulseAudio null sink. A run counts only if the
//          player's stream is in the sink and not corked at both ends.
//   lyrics CPU while yomikaze plays the same MP3 with a dense lyrics file
//          beside it (a line every half second for ten minutes) and without
//          one, each in its own run, beside Audacious playing it headless.
//   idle   CPU and resident memory over --seconds with a folder of 10,000
//          short MP3 files, each with its own ID3v2 title, artist and album
//          in Japanese, on the command line and playback stopped with the
//          End key, against Audacious showing the same 10,000 entries.
//   tick   Cost of one clock tick with 10 and with 100,000 entries (hook below).
//
// Children die with the driver (PR_SET_PDEATHSIG); temporary folders go at
// the end; Ctrl+C cleans up as well.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDataStream>
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
            if (!m_child->running() || until.hasExpired()) {
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
        Child bus(dbus, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")},
                  QProcessEnvironment::systemEnvironment(), m_root.path());
        bus.start();
        QByteArray address;
        if (!bus.waitForLine([&address](const QByteArray& line) {
                if (!line.startsWith("unix:"))
                    return false;
                address = line;
                return true;
            }, QDeadlineTimer(10'000))) {
            *note = QStringLiteral("dbus-daemon did not start: ") + bus.diagnostics();
            return std::nullopt;
        }
        auto timeOne = [&](const QStringList& args, qsizetype want, const QString& home) -> std::optional<double> {
            QProcessEnvironment env = referenceEnvironment(home);
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLatin1(address));
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
                if (!child.running() || until.hasExpired()) {
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
            if (!child->running() || until.hasExpired()) {
                *note = QStringLiteral("audacious showed no window: ") + child->diagnostics();
                return nullptr;
            }
            pause(50);
        }
        if (!child->running()) {
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
        if (!child.running()) {
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

    QString m_tree;
    QStringList m_treeFiles;
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
        QStringLiteral("Player benchmarks: folder scan, list read, tick cost, CPU while playing and idle CPU with a "
                       "long list, each beside a reference measured in the same run."));
    parser.addHelpOption();
    const QString here = QCoreApplication::applicationDirPath();
    const QStringList allParts{QStringLiteral("scan"), QStringLiteral("list"), QStringLiteral("tick"),
                               QStringLiteral("play"), QStringLiteral("lyrics"), QStringLiteral("idle")};
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
                                    QStringLiteral("Seconds a player runs before its CPU window (10)."),
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
        || o.parts.contains(QStringLiteral("idle"));
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
