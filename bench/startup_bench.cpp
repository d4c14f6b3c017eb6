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

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace yk::bench {

// Defined at the end of the file, after the X headers, whose macros clash
// with Qt names.
bool hasViewableWindow(const QByteArray& display, qint64 pid);

namespace {

std::atomic<bool> g_interrupted{false};

struct Interrupted
{
};

void onSignal(int)
{
    g_interrupted = true;
}

void checkInterrupted()
{
    if (g_interrupted)
        throw Interrupted{};
}

// Sleeps in short slices so that Ctrl+C is honoured promptly.
void pause(qint64 ms)
{
    QDeadlineTimer until(ms);
    while (!until.hasExpired()) {
        checkInterrupted();
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(until.remainingTime(), 1, 50)));
    }
}

void say(const QString& text)
{
    std::fputs(qPrintable(text), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// One child program. It cannot outlive the driver, and the destructor always
// stops it: SIGTERM first (yomikaze saves and leaves on it), SIGKILL after a
// grace period.
class Child
{
public:
    Child(const QString& program, const QStringList& args, const QProcessEnvironment& env,
          const QString& workDir, bool mergeChannels = false)
    {
        m_proc.setProgram(program);
        m_proc.setArguments(args);
        m_proc.setProcessEnvironment(env);
        m_proc.setWorkingDirectory(workDir);
        m_proc.setProcessChannelMode(mergeChannels ? QProcess::MergedChannels : QProcess::SeparateChannels);
        m_proc.setStandardInputFile(QProcess::nullDevice());
        const pid_t parent = ::getpid();
        m_proc.setChildProcessModifier([parent] {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                ::_exit(127);
        });
    }

    ~Child() { stop(); }

    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void start() { m_proc.start(); }
    qint64 pid() const { return m_proc.processId(); }
    bool running() const { return m_proc.state() != QProcess::NotRunning; }

    // Reads stdout line by line until `want` arrives (true), or the child
    // ends or the deadline passes (false). Every other line goes to `seen`,
    // if asked for, as soon as it is read.
    bool waitForLine(const QByteArray& want, QDeadlineTimer deadline,
                     const std::function<void(const QByteArray&)>& seen = {})
    {
        return waitForLine([&want](const QByteArray& line) { return line == want; }, deadline, seen);
    }

    bool waitForLine(const std::function<bool(const QByteArray&)>& match, QDeadlineTimer deadline,
                     const std::function<void(const QByteArray&)>& seen = {})
    {
        for (;;) {
            while (m_proc.canReadLine()) {
                const QByteArray line = m_proc.readLine().trimmed();
                if (match(line))
                    return true;
                if (seen)
                    seen(line);
            }
            checkInterrupted();
            if (!running() || deadline.hasExpired())
                return false;
            m_proc.waitForReadyRead(static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 1, 100)));
        }
    }

    // Collects whatever the child writes for `ms` milliseconds.
    void drain(qint64 ms, const std::function<void(const QByteArray&)>& seen)
    {
        QDeadlineTimer until(ms);
        while (!until.hasExpired() && running()) {
            checkInterrupted();
            m_proc.waitForReadyRead(static_cast<int>(std::clamp<qint64>(until.remainingTime(), 1, 100)));
            while (m_proc.canReadLine())
                seen(m_proc.readLine().trimmed());
        }
    }

    QString diagnostics()
    {
        QByteArray err = m_proc.readAllStandardError();
        if (err.size() > 600)
            err = "..." + err.right(600);
        QString text = QStringLiteral("exit status %1 (%2)")
                           .arg(m_proc.exitCode())
                           .arg(m_proc.exitStatus() == QProcess::NormalExit ? QStringLiteral("normal")
                                                                            : QStringLiteral("crashed"));
        if (!m_proc.errorString().isEmpty() && m_proc.error() != QProcess::UnknownError)
            text += QStringLiteral(", ") + m_proc.errorString();
        if (!err.trimmed().isEmpty())
            text += QStringLiteral("\n    stderr: ") + QString::fromLocal8Bit(err.trimmed());
        return text;
    }

    // Stops the child and reports whether it left by itself on SIGTERM.
    bool stop(int graceMs = 4000)
    {
        if (!running())
            return true;
        m_proc.terminate();
        QDeadlineTimer until(graceMs);
        while (running() && !until.hasExpired())
            m_proc.waitForFinished(50);
        if (!running())
            return true;
        m_proc.kill();
        m_proc.waitForFinished(2000);
        return false;
    }

private:
    QProcess m_proc;
};

// A private X server. -displayfd makes Xvfb pick a free display itself and
// tell us its number once it accepts connections; -noreset keeps it from
// resetting between our clients, which would otherwise add a server reset to
// some starts and not to others.
class XServer
{
public:
    bool start(QString* error)
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            *error = QStringLiteral("Xvfb not found (Debian package xvfb)");
            return false;
        }
        m_child.emplace(xvfb,
                        QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                    QStringLiteral("tcp"), QStringLiteral("-noreset"), QStringLiteral("-screen"),
                                    QStringLiteral("0"), QStringLiteral("1280x1024x24")},
                        QProcessEnvironment::systemEnvironment(), QDir::tempPath());
        m_child->start();
        QByteArray number;
        const auto isNumber = [&number](const QByteArray& line) {
            bool ok = false;
            line.toUInt(&ok);
            if (ok)
                number = line;
            return ok;
        };
        if (!m_child->waitForLine(isNumber, QDeadlineTimer(15000))) {
            *error = QStringLiteral("Xvfb did not start: ") + m_child->diagnostics();
            m_child.reset();
            return false;
        }
        m_display = ':' + number;
        return true;
    }

    QByteArray display() const { return m_display; }

private:
    std::optional<Child> m_child;
    QByteArray m_display;
};

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

struct Stats
{
    double median = 0;
    double min = 0;
    double max = 0;
    int count = 0;
};

Stats statsOf(std::vector<double> v)
{
    Stats s;
    s.count = static_cast<int>(v.size());
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    s.min = v.front();
    s.max = v.back();
    return s;
}

bool copyExecutable(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        return false;
    return QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                         | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
}

// Flushes what earlier runs and copies wrote, so that a start does not pay
// for writing back someone else's data (the first start syncs its own
// files, and the kernel would otherwise make it wait for ours too).
void settleDisk(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::syncfs(fd);
    ::close(fd);
}

struct Memory
{
    qint64 rssKiB = -1;
    qint64 pssKiB = -1;
    bool mediaLoaded = false;
    int libraries = 0;
    QList<QPair<qint64, QString>> largest; // resident KiB per mapped file
};

// The mapped files that hold the most resident memory, largest first.
QList<QPair<qint64, QString>> largestMappings(const QString& smapsPath, int count)
{
    QFile f(smapsPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QHash<QString, qint64> rss;
    QString current;
    for (QByteArray line = f.readLine(); !line.isEmpty(); line = f.readLine()) {
        if (line.startsWith("Rss:")) {
            if (!current.isEmpty())
                rss[current] += line.mid(4).trimmed().split(' ').value(0).toLongLong();
            continue;
        }
        // A mapping header: "start-end perms offset dev inode [path]".
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 5 && parts[0].contains('-') && !parts[0].endsWith(':'))
            current = parts.size() >= 6 && parts[5].startsWith('/') ? QString::fromLocal8Bit(parts[5]) : QString();
    }
    QList<QPair<qint64, QString>> list;
    for (auto it = rss.cbegin(); it != rss.cend(); ++it)
        list.append({it.value(), it.key()});
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    return list.mid(0, count);
}

qint64 fieldKiB(const QString& path, const QByteArray& key)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    // /proc files report a size of 0: read them line by line.
    for (QByteArray line = f.readLine(); !line.isEmpty(); line = f.readLine()) {
        if (line.startsWith(key)) {
            const QList<QByteArray> parts = line.mid(key.size()).simplified().split(' ');
            return parts.isEmpty() ? -1 : parts.first().toLongLong();
        }
    }
    return -1;
}

Memory memoryOf(qint64 pid)
{
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    Memory m;
    m.rssKiB = fieldKiB(proc + QStringLiteral("status"), "VmRSS:");
    m.pssKiB = fieldKiB(proc + QStringLiteral("smaps_rollup"), "Pss:");
    QFile maps(proc + QStringLiteral("maps"));
    if (maps.open(QIODevice::ReadOnly)) {
        QSet<QByteArray> libs;
        for (QByteArray line = maps.readLine(); !line.isEmpty(); line = maps.readLine()) {
            const qsizetype slash = line.indexOf('/');
            if (slash < 0 || !line.contains(".so"))
                continue;
            const QByteArray file = line.mid(slash).trimmed();
            libs.insert(file);
            if (file.contains("libgstreamer-1.0"))
                m.mediaLoaded = true;
        }
        m.libraries = static_cast<int>(libs.size());
    }
    m.largest = largestMappings(proc + QStringLiteral("smaps"), 4);
    return m;
}

// The fields of a /proc/.../stat line after the command name, which may
// itself hold blanks and parentheses: index 0 is the state (field 3).
QList<QByteArray> statFields(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = f.readAll();
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return {};
    return line.mid(close + 1).simplified().split(' ');
}

// utime + stime in clock ticks; for a process this includes its threads,
// the ended ones too.
qint64 cpuTicks(const QString& statPath)
{
    const QList<QByteArray> f = statFields(statPath);
    if (f.size() < 13)
        return -1;
    return f[11].toLongLong() + f[12].toLongLong();
}

QString threadName(const QString& statPath)
{
    QFile f(statPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = f.readAll();
    const qsizetype open = line.indexOf('(');
    const qsizetype close = line.lastIndexOf(')');
    return open >= 0 && close > open ? QString::fromLocal8Bit(line.mid(open + 1, close - open - 1)) : QString();
}

// One look at a running process: its CPU time, and per live thread the
// CPU time and the times it went to sleep of its own accord (each such
// sleep ends in a wake-up).
struct CpuSample
{
    qint64 ticks = -1;
    struct Thread
    {
        QString name;
        qint64 ticks = 0;
        qint64 sleeps = 0;
    };
    QHash<QString, Thread> threads; // by thread id
};

CpuSample cpuSampleOf(qint64 pid)
{
    CpuSample s;
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    s.ticks = cpuTicks(proc + QStringLiteral("stat"));
    const QDir tasks(proc + QStringLiteral("task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString dir = tasks.filePath(tid) + u'/';
        CpuSample::Thread t;
        t.name = threadName(dir + QStringLiteral("stat"));
        t.ticks = std::max<qint64>(0, cpuTicks(dir + QStringLiteral("stat")));
        t.sleeps = std::max<qint64>(0, fieldKiB(dir + QStringLiteral("status"), "voluntary_ctxt_switches:"));
        s.threads.insert(tid, t);
    }
    return s;
}

struct IdleCpu
{
    double percent = 0;       // of one core
    double wakeupsPerSecond = 0;
    int threads = 0;
    QStringList busiest;      // threads that used CPU in the window
};

IdleCpu idleCpuBetween(const CpuSample& a, const CpuSample& b, double seconds)
{
    static const double ticksPerSecond = double(::sysconf(_SC_CLK_TCK));
    IdleCpu r;
    r.percent = double(b.ticks - a.ticks) / ticksPerSecond / seconds * 100.0;
    r.threads = static_cast<int>(b.threads.size());
    qint64 sleeps = 0;
    QList<QPair<qint64, QString>> used;
    for (auto it = b.threads.cbegin(); it != b.threads.cend(); ++it) {
        const CpuSample::Thread before = a.threads.value(it.key());
        sleeps += it->sleeps - before.sleeps;
        if (it->ticks > before.ticks)
            used.append({it->ticks - before.ticks, it->name});
    }
    r.wakeupsPerSecond = double(sleeps) / seconds;
    std::sort(used.begin(), used.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    for (const auto& [ticks, name] : std::as_const(used).mid(0, 4))
        r.busiest << QStringLiteral("%1 %2 ms").arg(name).arg(double(ticks) * 1000.0 / ticksPerSecond, 0, 'f', 0);
    return r;
}

class Bench
{
public:
    Bench(Options options, QByteArray display)
        : m_o(std::move(options))
        , m_display(std::move(display))
    {
    }

    int run()
    {
        if (!m_root.isValid()) {
            say(QStringLiteral("cannot create a temporary folder"));
            return 1;
        }
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

    QString folder(const QString& name) const { return m_root.filePath(name); }

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

    Options m_o;
    QByteArray m_display;
    QTemporaryDir m_root{QDir::tempPath() + QStringLiteral("/yk-startup-bench-XXXXXX")};
    int m_failures = 0;
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

    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);

    try {
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
    } catch (const Interrupted&) {
        say(QStringLiteral("\ninterrupted; children stopped, temporary folders removed"));
        return 130;
    } catch (const std::exception& e) {
        say(QStringLiteral("failed: ") + QString::fromLocal8Bit(e.what()));
        return 1;
    }
}

} // namespace
} // namespace yk::bench

int main(int argc, char** argv)
{
    return yk::bench::runMain(argc, argv);
}

// Window lookup through Xlib, kept apart from the Qt code above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace yk::bench {

namespace {

// Windows may vanish between listing and querying them; that must not end
// the driver.
int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

bool hasViewableWindow(const QByteArray& displayName, qint64 pid)
{
    static Display* display = nullptr;
    if (!display) {
        display = XOpenDisplay(displayName.constData());
        if (!display)
            return false;
        XSetErrorHandler(ignoreXErrors);
    }
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                               &after, &data)
                == Success
            && data) {
            if (format == 32 && items == 1)
                found = static_cast<qint64>(*reinterpret_cast<unsigned long*>(data)) == pid;
            XFree(data);
        }
    }
    if (children)
        XFree(children);
    return found;
}

} // namespace yk::bench
