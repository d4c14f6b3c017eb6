#pragma once

// What the benchmark drivers share: child programs that die with the driver,
// a private X server, and CPU and memory readings from /proc. Header-only,
// because every bench/*.cpp is built as a program of its own.

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

namespace yk::bench {

// Defined in BenchX11.h, which a driver includes after all its Qt code:
// the X headers' macros clash with Qt names.
bool hasViewableWindow(const QByteArray& display, qint64 pid);

inline std::atomic<bool> g_interrupted{false};

struct Interrupted
{
};

inline void onSignal(int)
{
    g_interrupted = true;
}

inline void checkInterrupted()
{
    if (g_interrupted)
        throw Interrupted{};
}

// Sleeps in short slices so that Ctrl+C is honoured promptly.
inline void pause(qint64 ms)
{
    QDeadlineTimer until(ms);
    while (!until.hasExpired()) {
        checkInterrupted();
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(until.remainingTime(), 1, 50)));
    }
}

inline void say(const QString& text)
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

    // Sends what the child writes to a file instead of a pipe. A child that
    // is not read from while the driver is busy elsewhere (a timed window,
    // a probe) would otherwise fill the pipe and block on its next write,
    // which would be measured as the child's own stall.
    void logTo(const QString& path)
    {
        m_log = path;
        m_proc.setStandardOutputFile(path, QIODevice::Append);
        m_proc.setStandardErrorFile(path, QIODevice::Append);
    }

    void start() { m_proc.start(); }
    qint64 pid() const { return m_proc.processId(); }
    bool running() const { return m_proc.state() != QProcess::NotRunning; }

    // running() as of now: the child's end is noticed only by the event
    // loop or a wait, which a driver that just sleeps between looks never
    // runs, so look for it here.
    bool alive()
    {
        if (running())
            m_proc.waitForFinished(0);
        return running();
    }

    // Waits up to `ms` for the child to end by itself; true when it did.
    bool waitForExit(qint64 ms)
    {
        QDeadlineTimer until(ms);
        while (alive() && !until.hasExpired()) {
            checkInterrupted();
            m_proc.waitForFinished(static_cast<int>(std::clamp<qint64>(until.remainingTime(), 1, 50)));
        }
        return !running();
    }

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
        if (!m_log.isEmpty()) {
            QFile log(m_log);
            if (log.open(QIODevice::ReadOnly))
                err = log.readAll();
        }
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
    QString m_log;
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

struct Stats
{
    double median = 0;
    double min = 0;
    double max = 0;
    int count = 0;
};

inline Stats statsOf(std::vector<double> v)
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

inline bool copyExecutable(const QString& from, const QString& to)
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
inline void settleDisk(const QString& folder)
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
inline QList<QPair<qint64, QString>> largestMappings(const QString& smapsPath, int count)
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

inline qint64 fieldKiB(const QString& path, const QByteArray& key)
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

inline Memory memoryOf(qint64 pid)
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
inline QList<QByteArray> statFields(const QString& path)
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
inline qint64 cpuTicks(const QString& statPath)
{
    const QList<QByteArray> f = statFields(statPath);
    if (f.size() < 13)
        return -1;
    return f[11].toLongLong() + f[12].toLongLong();
}

inline QString threadName(const QString& statPath)
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

inline CpuSample cpuSampleOf(qint64 pid)
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

inline IdleCpu idleCpuBetween(const CpuSample& a, const CpuSample& b, double seconds)
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

// The largest gap between the timeouts of a 5 ms timer on this thread while
// `running` holds; the event loop runs meanwhile.
inline double longestStall(const std::function<bool()>& running)
{
    QEventLoop loop;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QObject::connect(&probe, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
        checkInterrupted();
        if (!running())
            loop.quit();
    });
    probe.start();
    loop.exec();
    return double(longest) / 1e6;
}

// Runs a driver's body and turns Ctrl+C and failures into the drivers'
// common report and exit status (130 interrupted, 1 failed).
template<typename Body>
int runReported(Body&& body)
{
    try {
        return body();
    } catch (const Interrupted&) {
        say(QStringLiteral("\ninterrupted; children stopped, temporary folders removed"));
        return 130;
    } catch (const std::exception& e) {
        say(QStringLiteral("failed: ") + QString::fromLocal8Bit(e.what()));
        return 1;
    }
}

// Stops the driver cleanly on Ctrl+C, SIGTERM and SIGHUP: the waits above
// then throw Interrupted and the children's destructors stop them.
inline void installInterruptHandlers()
{
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);
}

// What each benchmark driver starts from: its options, the X display the
// programs under test run on, a temporary folder of its own and a count of
// the measurements that failed.
template <typename Options>
class BenchDriver
{
protected:
    BenchDriver(Options options, QByteArray display, const QString& name)
        : m_o(std::move(options))
        , m_display(std::move(display))
        , m_root(QDir::tempPath() + QStringLiteral("/yk-") + name + QStringLiteral("-XXXXXX"))
    {
    }
    // False, and said, when the temporary folder could not be made.
    bool rootReady() const
    {
        if (!m_root.isValid())
            say(QStringLiteral("cannot create a temporary folder"));
        return m_root.isValid();
    }
    QString folder(const QString& name) const { return m_root.filePath(name); }

    Options m_o;
    QByteArray m_display;
    QTemporaryDir m_root;
    int m_failures = 0;
};

} // namespace yk::bench
