// Start-up benchmark for yomikaze.
//
// 1. Time from process start to the first paint of the main window, against
//    the floor program (a bare 177 x 177 frameless Qt window). The programs
//    are started in turn, round after round, so that a change in machine load
//    hits all of them alike. Measured: a normal start (folder already set up),
//    a first start (fresh folder: the program writes its skin before it shows
//    the window) and a normal start without wav/Opening.wav.
// 2. Resident memory five seconds after a start that played the opening
//    sound, against the Audacious player left idle for as long under the same
//    X server.
// 3. Idle CPU: yomikaze (after its opening sound) and Audacious run side by
//    side under the same X server; once both have settled, the CPU time each
//    spends over a window of 60 s (utime + stime from /proc/<pid>/stat) is
//    given as a share of one core, with the wake-ups per second beside it.
//
// Every child runs under a private Xvfb (unless --use-display), in its own
// temporary folder, dies with this driver (PR_SET_PDEATHSIG), and is
// terminated after its run; Ctrl+C cleans up as well.

#include <memory>
#include <stdexcept>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "BenchSupport.h"

namespace yk::bench {

namespace {

struct Options
{
    QString program;
    QString floor;
    QString reference;
    QString platform = QStringLiteral("xcb");
    int runs = 10;
    int warmup = 1;
    int idleMs = 5000;
    int timeoutMs = 20000;
    int cpuSettleMs = 10000;
    int cpuWindowMs = 60000;
    bool startup = true;
    bool memory = true;
    bool cpu = true;
    bool extras = true;
    bool verbose = false;
};


class Bench : BenchDriver<Options>
{
public:
    Bench(Options options, QByteArray display)
        : BenchDriver(std::move(options), std::move(display), QStringLiteral("startup-bench"))
    {
    }

    int run()
    {
        if (!rootReady())
            return 1;
        QElapsedTimer total;
        total.start();
        std::optional<StartupResults> startup;
        std::optional<MemoryResults> memory;
        std::optional<CpuResults> cpu;
        if (m_o.startup)
            startup = measureStartup();
        if (m_o.memory)
            memory = measureMemory();
        if (m_o.cpu)
            cpu = measureIdleCpu();
        say(QString());
        if (startup)
            printStartup(*startup);
        if (memory)
            printMemory(*memory);
        if (cpu)
            printIdleCpu(*cpu);
        say(QStringLiteral("\nbenchmark time %1 s%2")
                .arg(double(total.elapsed()) / 1000.0, 0, 'f', 0)
                .arg(m_failures ? QStringLiteral(", %1 failed runs").arg(m_failures) : QString()));
        return m_failures == 0 ? 0 : 1;
    }

private:
    // One kind of start: how to get a folder ready for the next run and
    // the times collected.
    struct Variant
    {
        QString name;
        std::function<QString()> prepare; // returns the executable to start
        std::function<void()> after;      // tidies up after a run
        std::vector<double> ms;
        int failed = 0;
    };

    struct StartupResults
    {
        std::vector<Variant> variants;
        QString mediaNote;
    };

    struct MemoryResults
    {
        std::optional<Memory> played;
        std::optional<Memory> silent;
        std::optional<Memory> reference;
        QString referenceNote;
    };

    struct CpuResults
    {
        std::optional<IdleCpu> ours;
        std::optional<IdleCpu> reference;
        std::optional<IdleCpu> floor;
        QString note;
    };

    QProcessEnvironment childEnvironment(const QString& platform) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        env.insert(QStringLiteral("YK_REPORT_FIRST_PAINT"), QStringLiteral("1"));
        return env;
    }


    // A folder that a start of yomikaze has already set up, as on any day
    // after the first.
    QString preparedFolder(const QString& name, bool withOpening)
    {
        const QString dir = folder(name);
        QDir().mkpath(dir);
        const QString exe = dir + QStringLiteral("/yomikaze");
        if (!copyExecutable(m_o.program, exe))
            throw std::runtime_error("cannot copy the program");
        if (!timeToFirstPaint(exe, m_o.platform))
            throw std::runtime_error("the set-up start of yomikaze failed");
        if (!QFileInfo::exists(dir + QStringLiteral("/wav/Opening.wav")))
            say(QStringLiteral("note: the first start wrote no wav/Opening.wav"));
        if (!withOpening) {
            QFile::remove(dir + QStringLiteral("/wav/Opening.wav"));
            QFile::remove(dir + QStringLiteral("/wav/Opening.mp3"));
        }
        return exe;
    }

    // Starts the program once and returns the milliseconds from the start
    // call to the "first-paint" line, or nothing on failure.
    std::optional<double> timeToFirstPaint(const QString& exe, const QString& platform)
    {
        Child child(exe, {}, childEnvironment(platform), QFileInfo(exe).absolutePath());
        QElapsedTimer clock;
        clock.start();
        child.start();
        const bool ok = child.waitForLine("first-paint", QDeadlineTimer(m_o.timeoutMs));
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (!ok) {
            say(QStringLiteral("  %1: no first paint within %2 s: %3")
                    .arg(QFileInfo(exe).fileName())
                    .arg(m_o.timeoutMs / 1000)
                    .arg(child.diagnostics()));
            return std::nullopt;
        }
        if (!child.stop())
            say(QStringLiteral("  %1 did not end on SIGTERM; killed").arg(QFileInfo(exe).fileName()));
        return ms;
    }

    StartupResults measureStartup()
    {
        StartupResults r;
        say(QStringLiteral("start-up: %1 rounds after %2 warm-up, platform %3, display %4")
                .arg(m_o.runs)
                .arg(m_o.warmup)
                .arg(m_o.platform, QString::fromLatin1(m_display)));

        QDir().mkpath(folder(QStringLiteral("floor")));
        const QString floorExe = folder(QStringLiteral("floor/floor_window"));
        if (!copyExecutable(m_o.floor, floorExe))
            throw std::runtime_error("cannot copy the floor program");
        const QString normalExe = preparedFolder(QStringLiteral("normal"), true);

        r.variants.push_back({QStringLiteral("floor (bare 177x177 window)"), [floorExe] { return floorExe; }, {}, {}, 0});
        r.variants.push_back({QStringLiteral("yomikaze normal start"), [normalExe] { return normalExe; }, {}, {}, 0});
        auto fresh = std::make_shared<int>(0);
        auto firstDir = std::make_shared<QString>();
        r.variants.push_back({QStringLiteral("yomikaze first start"),
                              [this, fresh, firstDir] {
                                  *firstDir = folder(QStringLiteral("first-%1").arg((*fresh)++));
                                  QDir().mkpath(*firstDir);
                                  const QString exe = *firstDir + QStringLiteral("/yomikaze");
                                  if (!copyExecutable(m_o.program, exe))
                                      throw std::runtime_error("cannot copy the program");
                                  return exe;
                              },
                              [firstDir] { QDir(*firstDir).removeRecursively(); }, {}, 0});
        if (m_o.extras) {
            const QString silentExe = preparedFolder(QStringLiteral("silent"), false);
            r.variants.push_back({QStringLiteral("yomikaze normal, no Opening.wav"),
                                  [silentExe] { return silentExe; }, {}, {}, 0});
        }

        const int n = static_cast<int>(r.variants.size());
        for (int round = -m_o.warmup; round < m_o.runs; ++round) {
            // Each round starts with a different program, so none of them
            // always runs right after the same other one.
            for (int k = 0; k < n; ++k) {
                Variant& v = r.variants[static_cast<std::size_t>((k + round + n * m_o.warmup) % n)];
                const QString exe = v.prepare();
                settleDisk(m_root.path());
                const std::optional<double> ms = timeToFirstPaint(exe, m_o.platform);
                if (v.after)
                    v.after();
                if (round < 0)
                    continue;
                if (ms) {
                    v.ms.push_back(*ms);
                } else {
                    ++v.failed;
                    ++m_failures;
                }
                if (m_o.verbose && ms)
                    say(QStringLiteral("  round %1  %2  %3 ms").arg(round).arg(v.name, -32).arg(*ms, 0, 'f', 1));
            }
            if (!m_o.verbose && round >= 0) {
                std::fputc('.', stdout);
                std::fflush(stdout);
            }
        }
        if (!m_o.verbose)
            say(QString());

        if (m_o.extras)
            r.mediaNote = mediaAfterPaint(normalExe);
        return r;
    }

    // Confirms that the media framework is loaded only after the first
    // paint: with plug-in tracing on and stderr merged into stdout, the
    // order of the lines in the one pipe is the order of the events.
    QString mediaAfterPaint(const QString& exe)
    {
        QProcessEnvironment env = childEnvironment(m_o.platform);
        env.insert(QStringLiteral("QT_DEBUG_PLUGINS"), QStringLiteral("1"));
        Child child(exe, {}, env, QFileInfo(exe).absolutePath(), true);
        QElapsedTimer clock;
        clock.start();
        child.start();
        double mediaBefore = -1;
        auto isMedia = [](const QByteArray& line) {
            return line.contains("plugins/multimedia") || line.contains("gstreamer");
        };
        const bool painted = child.waitForLine("first-paint", QDeadlineTimer(m_o.timeoutMs), [&](const QByteArray& line) {
            if (mediaBefore < 0 && isMedia(line))
                mediaBefore = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        });
        const double paintMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (!painted)
            return QStringLiteral("could not check the media framework: ") + child.diagnostics();
        double mediaAfter = -1;
        child.drain(3000, [&](const QByteArray& line) {
            if (mediaAfter < 0 && isMedia(line))
                mediaAfter = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        });
        if (mediaBefore >= 0)
            return QStringLiteral("media framework: loaded BEFORE the first paint (at %1 ms, paint at %2 ms)")
                .arg(mediaBefore, 0, 'f', 1)
                .arg(paintMs, 0, 'f', 1);
        if (mediaAfter >= 0)
            return QStringLiteral("media framework: loaded after the first paint (paint at %1 ms, media plug-in at %2 ms)"
                                  " - the first paint is not held back")
                .arg(paintMs, 0, 'f', 1)
                .arg(mediaAfter, 0, 'f', 1);
        return QStringLiteral("media framework: not loaded within 3 s of the first paint");
    }

    MemoryResults measureMemory()
    {
        MemoryResults r;
        say(QStringLiteral("memory: %1 s idle after the window is up, display %2")
                .arg(m_o.idleMs / 1000.0)
                .arg(QString::fromLatin1(m_display)));
        const QString xcb = QStringLiteral("xcb");
        r.played = idleMemoryOfYomikaze(preparedFolder(QStringLiteral("mem-played"), true), xcb);
        if (m_o.extras)
            r.silent = idleMemoryOfYomikaze(preparedFolder(QStringLiteral("mem-silent"), false), xcb);
        r.reference = idleMemoryOfReference(&r.referenceNote);
        return r;
    }

    std::optional<Memory> idleMemoryOfYomikaze(const QString& exe, const QString& platform)
    {
        Child child(exe, {}, childEnvironment(platform), QFileInfo(exe).absolutePath());
        child.start();
        if (!child.waitForLine("first-paint", QDeadlineTimer(m_o.timeoutMs))) {
            say(QStringLiteral("  yomikaze: no first paint: ") + child.diagnostics());
            ++m_failures;
            return std::nullopt;
        }
        pause(m_o.idleMs);
        if (!child.running()) {
            say(QStringLiteral("  yomikaze ended while idle: ") + child.diagnostics());
            ++m_failures;
            return std::nullopt;
        }
        return memoryOf(child.pid());
    }

    // Audacious gets a home of its own so that it starts as on a new
    // account, without earlier settings or play lists, and no D-Bus session
    // (it then skips its single-instance check and carries on). Returns it
    // once its window is on screen, or null with `note` telling why.
    std::unique_ptr<Child> startReference(QString* note)
    {
        const QString exe = m_o.reference.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("audacious"))
                                                    : m_o.reference;
        if (exe.isEmpty()) {
            *note = QStringLiteral("audacious not found (Debian package audacious)");
            return nullptr;
        }
        const QString home = folder(QStringLiteral("audacious-home"));
        QDir().mkpath(home);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
        auto child = std::make_unique<Child>(exe, QStringList{}, env, home);
        child->start();
        QDeadlineTimer until(m_o.timeoutMs);
        while (!hasViewableWindow(m_display, child->pid())) {
            if (!child->running() || until.hasExpired()) {
                *note = QStringLiteral("audacious showed no window: ") + child->diagnostics();
                ++m_failures;
                return nullptr;
            }
            pause(50);
        }
        return child;
    }

    std::optional<Memory> idleMemoryOfReference(QString* note)
    {
        const std::unique_ptr<Child> child = startReference(note);
        if (!child)
            return std::nullopt;
        pause(m_o.idleMs);
        if (!child->running()) {
            *note = QStringLiteral("audacious ended while idle: ") + child->diagnostics();
            ++m_failures;
            return std::nullopt;
        }
        return memoryOf(child->pid());
    }

    // Both programs run at once, so that whatever else the machine does
    // falls on both alike. yomikaze plays its opening sound, as on any
    // normal start; the settling time lets that sound end.
    CpuResults measureIdleCpu()
    {
        CpuResults r;
        say(QStringLiteral("idle CPU: %1 s window after %2 s settling, display %3")
                .arg(m_o.cpuWindowMs / 1000.0)
                .arg(m_o.cpuSettleMs / 1000.0)
                .arg(QString::fromLatin1(m_display)));
        const QString exe = preparedFolder(QStringLiteral("cpu"), true);
        const QString xcb = QStringLiteral("xcb");
        Child ours(exe, {}, childEnvironment(xcb), QFileInfo(exe).absolutePath());
        ours.start();
        if (!ours.waitForLine("first-paint", QDeadlineTimer(m_o.timeoutMs))) {
            r.note = QStringLiteral("yomikaze: no first paint: ") + ours.diagnostics();
            ++m_failures;
            return r;
        }
        const std::unique_ptr<Child> reference = startReference(&r.note);
        // The floor window with an empty 100 ms timer: what the wake-ups
        // alone cost on this machine.
        QDir().mkpath(folder(QStringLiteral("cpu-floor")));
        QProcessEnvironment floorEnv = childEnvironment(xcb);
        floorEnv.insert(QStringLiteral("YK_FLOOR_TICK_MS"), QStringLiteral("100"));
        Child floor(m_o.floor, {}, floorEnv, folder(QStringLiteral("cpu-floor")));
        floor.start();
        const bool floorUp = floor.waitForLine("first-paint", QDeadlineTimer(m_o.timeoutMs));
        pause(m_o.cpuSettleMs);
        const CpuSample oursBefore = cpuSampleOf(ours.pid());
        const CpuSample referenceBefore = reference ? cpuSampleOf(reference->pid()) : CpuSample{};
        const CpuSample floorBefore = floorUp ? cpuSampleOf(floor.pid()) : CpuSample{};
        QElapsedTimer window;
        window.start();
        pause(m_o.cpuWindowMs);
        const CpuSample oursAfter = cpuSampleOf(ours.pid());
        const CpuSample referenceAfter = reference ? cpuSampleOf(reference->pid()) : CpuSample{};
        const CpuSample floorAfter = floorUp ? cpuSampleOf(floor.pid()) : CpuSample{};
        const double seconds = double(window.nsecsElapsed()) / 1e9;
        if (floorUp && floor.running() && floorBefore.ticks >= 0 && floorAfter.ticks >= 0)
            r.floor = idleCpuBetween(floorBefore, floorAfter, seconds);
        if (!ours.running() || oursBefore.ticks < 0 || oursAfter.ticks < 0) {
            r.note = QStringLiteral("yomikaze ended while idle: ") + ours.diagnostics();
            ++m_failures;
        } else {
            r.ours = idleCpuBetween(oursBefore, oursAfter, seconds);
        }
        if (reference) {
            if (!reference->running() || referenceBefore.ticks < 0 || referenceAfter.ticks < 0) {
                r.note = QStringLiteral("audacious ended while idle: ") + reference->diagnostics();
                ++m_failures;
            } else {
                r.reference = idleCpuBetween(referenceBefore, referenceAfter, seconds);
            }
        }
        return r;
    }

    void printStartup(const StartupResults& r) const
    {
        say(QStringLiteral("Time from process start to the first paint (%1, %2 runs each after %3 warm-up, alternating)")
                .arg(m_o.platform)
                .arg(m_o.runs)
                .arg(m_o.warmup));
        say(QStringLiteral("  %1 %2 %3 %4 %5 %6")
                .arg(QStringLiteral("program"), -34)
                .arg(QStringLiteral("median"), 9)
                .arg(QStringLiteral("min"), 9)
                .arg(QStringLiteral("max"), 9)
                .arg(QStringLiteral("x floor (median)"), 17)
                .arg(QStringLiteral("x floor (min)"), 14));
        const Stats floor = statsOf(r.variants.front().ms);
        for (const Variant& v : r.variants) {
            const Stats s = statsOf(v.ms);
            QString line = QStringLiteral("  %1 %2 %3 %4")
                               .arg(v.name, -34)
                               .arg(QStringLiteral("%1 ms").arg(s.median, 0, 'f', 1), 9)
                               .arg(QStringLiteral("%1 ms").arg(s.min, 0, 'f', 1), 9)
                               .arg(QStringLiteral("%1 ms").arg(s.max, 0, 'f', 1), 9);
            if (&v != &r.variants.front() && floor.count > 0 && s.count > 0) {
                line += QStringLiteral(" %1 %2")
                            .arg(QStringLiteral("%1").arg(s.median / floor.median, 0, 'f', 2), 17)
                            .arg(QStringLiteral("%1").arg(s.min / floor.min, 0, 'f', 2), 14);
            }
            if (v.failed)
                line += QStringLiteral("  (%1 failed)").arg(v.failed);
            say(line);
        }
        if (r.variants.size() > 1) {
            const Stats normal = statsOf(r.variants[1].ms);
            if (floor.count > 0 && normal.count > 0) {
                const double ratio = normal.median / floor.median;
                say(QStringLiteral("  goal: normal start <= 1.3 x floor (median): %1 (%2)")
                        .arg(ratio, 0, 'f', 2)
                        .arg(ratio <= 1.3 ? QStringLiteral("met") : QStringLiteral("NOT met")));
            }
        }
        if (!r.mediaNote.isEmpty())
            say(QStringLiteral("  ") + r.mediaNote);
        say(QString());
    }

    void printMemory(const MemoryResults& r) const
    {
        auto mib = [](qint64 kib) {
            return kib < 0 ? QStringLiteral("?") : QStringLiteral("%1 MiB").arg(double(kib) / 1024.0, 0, 'f', 1);
        };
        say(QStringLiteral("Memory %1 s after the window is up, idle (xcb)").arg(m_o.idleMs / 1000.0));
        say(QStringLiteral("  %1 %2 %3 %4 %5")
                .arg(QStringLiteral("program"), -44)
                .arg(QStringLiteral("VmRSS"), 10)
                .arg(QStringLiteral("PSS"), 10)
                .arg(QStringLiteral("libs"), 5)
                .arg(QStringLiteral("GStreamer"), 10));
        auto row = [&](const QString& name, const std::optional<Memory>& m) {
            if (!m) {
                say(QStringLiteral("  %1 %2").arg(name, -44).arg(QStringLiteral("(failed)")));
                return;
            }
            say(QStringLiteral("  %1 %2 %3 %4 %5")
                    .arg(name, -44)
                    .arg(mib(m->rssKiB), 10)
                    .arg(mib(m->pssKiB), 10)
                    .arg(m->libraries, 5)
                    .arg(m->mediaLoaded ? QStringLiteral("loaded") : QStringLiteral("-"), 10));
        };
        row(QStringLiteral("yomikaze, opening sound played"), r.played);
        if (m_o.extras)
            row(QStringLiteral("yomikaze, no Opening.wav"), r.silent);
        row(QStringLiteral("audacious (reference)"), r.reference);
        if (!r.referenceNote.isEmpty())
            say(QStringLiteral("  ") + r.referenceNote);
        if (r.played && r.reference && r.played->rssKiB > 0 && r.reference->rssKiB > 0) {
            const double rss = double(r.played->rssKiB) / double(r.reference->rssKiB);
            const double pss = double(r.played->pssKiB) / double(r.reference->pssKiB);
            say(QStringLiteral("  goal: yomikaze below audacious: VmRSS %1 x, PSS %2 x (%3)")
                    .arg(rss, 0, 'f', 2)
                    .arg(pss, 0, 'f', 2)
                    .arg(rss < 1.0 && pss < 1.0 ? QStringLiteral("met") : QStringLiteral("NOT met")));
        }
        if (r.played) {
            QStringList big;
            for (const auto& [kib, file] : std::as_const(r.played->largest))
                big << QStringLiteral("%1 %2 MiB").arg(QFileInfo(file).fileName()).arg(double(kib) / 1024.0, 0, 'f', 1);
            say(QStringLiteral("  largest mapped files in yomikaze: ") + big.join(QStringLiteral(", ")));
        }
        if (r.played && !r.played->mediaLoaded)
            say(QStringLiteral("  note: GStreamer is not mapped in yomikaze: the opening sound was not played"));
    }

    void printIdleCpu(const CpuResults& r) const
    {
        const double seconds = m_o.cpuWindowMs / 1000.0;
        const double tick = 100.0 / double(::sysconf(_SC_CLK_TCK)) / seconds;
        say(QStringLiteral("Idle CPU over %1 s, after %2 s settling, both running at once (xcb; one clock tick = "
                           "%3 %)")
                .arg(seconds)
                .arg(m_o.cpuSettleMs / 1000.0)
                .arg(tick, 0, 'f', 3));
        say(QStringLiteral("  %1 %2 %3 %4")
                .arg(QStringLiteral("program"), -34)
                .arg(QStringLiteral("CPU of one core"), 16)
                .arg(QStringLiteral("wake-ups/s"), 11)
                .arg(QStringLiteral("threads"), 8));
        auto row = [](const QString& name, const std::optional<IdleCpu>& c) {
            if (!c) {
                say(QStringLiteral("  %1 %2").arg(name, -34).arg(QStringLiteral("(failed)")));
                return;
            }
            say(QStringLiteral("  %1 %2 %3 %4")
                    .arg(name, -34)
                    .arg(QStringLiteral("%1 %").arg(c->percent, 0, 'f', 3), 16)
                    .arg(c->wakeupsPerSecond, 11, 'f', 1)
                    .arg(c->threads, 8));
        };
        row(QStringLiteral("yomikaze, opening sound played"), r.ours);
        row(QStringLiteral("audacious (reference)"), r.reference);
        row(QStringLiteral("floor with an empty 100 ms timer"), r.floor);
        if (!r.note.isEmpty())
            say(QStringLiteral("  ") + r.note);
        if (r.ours && r.reference) {
            const bool met = r.ours->percent <= 0.1 && r.ours->percent < r.reference->percent;
            say(QStringLiteral("  goal: yomikaze <= 0.1 % and below audacious: %1 % against %2 % (%3)")
                    .arg(r.ours->percent, 0, 'f', 3)
                    .arg(r.reference->percent, 0, 'f', 3)
                    .arg(met ? QStringLiteral("met") : QStringLiteral("NOT met")));
        }
        if (r.ours && !r.ours->busiest.isEmpty())
            say(QStringLiteral("  threads of yomikaze that ran: ") + r.ours->busiest.join(QStringLiteral(", ")));
        say(QString());
    }

};

int runMain(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times yomikaze's start to its first paint against a bare Qt window and compares its idle "
                       "memory and idle CPU with the Audacious player, under a private Xvfb."));
    parser.addHelpOption();
    const QString here = QCoreApplication::applicationDirPath();
    const QCommandLineOption program(QStringLiteral("program"), QStringLiteral("yomikaze executable."),
                                     QStringLiteral("path"), here + QStringLiteral("/../yomikaze"));
    const QCommandLineOption floor(QStringLiteral("floor"), QStringLiteral("Floor program."), QStringLiteral("path"),
                                   here + QStringLiteral("/floor_window"));
    const QCommandLineOption reference(QStringLiteral("reference"),
                                       QStringLiteral("Reference player (default: audacious on PATH)."),
                                       QStringLiteral("path"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Timed starts of each program (10)."),
                                  QStringLiteral("n"), QStringLiteral("10"));
    const QCommandLineOption warmup(QStringLiteral("warmup"), QStringLiteral("Untimed starts first (1)."),
                                    QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption idle(QStringLiteral("idle"), QStringLiteral("Idle seconds before memory is read (5)."),
                                  QStringLiteral("s"), QStringLiteral("5"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QStringLiteral("Seconds a start may take (20)."),
                                     QStringLiteral("s"), QStringLiteral("20"));
    const QCommandLineOption platform(QStringLiteral("platform"),
                                      QStringLiteral("Qt platform for the timed starts: xcb (default) or offscreen."),
                                      QStringLiteral("name"), QStringLiteral("xcb"));
    const QCommandLineOption useDisplay(QStringLiteral("use-display"),
                                        QStringLiteral("Use $DISPLAY instead of starting a private Xvfb."));
    const QCommandLineOption cpuWindow(QStringLiteral("cpu-window"),
                                       QStringLiteral("Seconds over which idle CPU is measured (60)."),
                                       QStringLiteral("s"), QStringLiteral("60"));
    const QCommandLineOption cpuSettle(QStringLiteral("cpu-settle"),
                                       QStringLiteral("Seconds both programs idle before the CPU window (10)."),
                                       QStringLiteral("s"), QStringLiteral("10"));
    const QCommandLineOption onlyStartup(QStringLiteral("startup-only"), QStringLiteral("Only the start-up times."));
    const QCommandLineOption onlyMemory(QStringLiteral("memory-only"), QStringLiteral("Only the memory figures."));
    const QCommandLineOption onlyCpu(QStringLiteral("cpu-only"), QStringLiteral("Only the idle CPU figures."));
    const QCommandLineOption noCpu(QStringLiteral("no-cpu"), QStringLiteral("Skip the idle CPU figures."));
    const QCommandLineOption noExtras(QStringLiteral("no-extras"),
                                      QStringLiteral("Skip the runs without Opening.wav and the media-order check."));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Print every run."));
    parser.addOptions({program, floor, reference, runs, warmup, idle, timeout, platform, useDisplay, cpuWindow,
                       cpuSettle, onlyStartup, onlyMemory, onlyCpu, noCpu, noExtras, verbose});
    parser.process(app);

    Options o;
    o.program = QFileInfo(parser.value(program)).absoluteFilePath();
    o.floor = QFileInfo(parser.value(floor)).absoluteFilePath();
    o.reference = parser.value(reference);
    o.platform = parser.value(platform);
    o.runs = std::max(1, parser.value(runs).toInt());
    o.warmup = std::max(0, parser.value(warmup).toInt());
    o.idleMs = static_cast<int>(std::max(0.0, parser.value(idle).toDouble()) * 1000);
    o.timeoutMs = static_cast<int>(std::max(1.0, parser.value(timeout).toDouble()) * 1000);
    o.cpuWindowMs = static_cast<int>(std::max(1.0, parser.value(cpuWindow).toDouble()) * 1000);
    o.cpuSettleMs = static_cast<int>(std::max(0.0, parser.value(cpuSettle).toDouble()) * 1000);
    const bool only = parser.isSet(onlyStartup) || parser.isSet(onlyMemory) || parser.isSet(onlyCpu);
    o.startup = only ? parser.isSet(onlyStartup) : true;
    o.memory = only ? parser.isSet(onlyMemory) : true;
    o.cpu = only ? parser.isSet(onlyCpu) : !parser.isSet(noCpu);
    o.extras = !parser.isSet(noExtras);
    o.verbose = parser.isSet(verbose);
    for (const QString& exe : {o.program, o.floor}) {
        if (!QFileInfo(exe).isExecutable()) {
            say(QStringLiteral("not an executable: ") + exe);
            return 2;
        }
    }

    installInterruptHandlers();

    return runReported([&] {
        XServer server;
        QByteArray display;
        if (parser.isSet(useDisplay)) {
            display = qgetenv("DISPLAY");
            if (display.isEmpty()) {
                say(QStringLiteral("--use-display given but DISPLAY is not set"));
                return 2;
            }
        } else {
            QString error;
            if (!server.start(&error)) {
                say(error);
                return 2;
            }
            display = server.display();
        }
        Bench bench(o, display);
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
