#include "media/TrackInfoReader.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include <QFile>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace yk {

// One read under way. The worker fills it and wakes whoever waits; the
// UI thread keeps the answer once it is there.
struct TrackInfoReader::Job
{
    QString path;
    Stamp stamp;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::optional<tags::TrackInfo> info;
    // Set by the first wait (UI thread only).
    std::optional<std::chrono::steady_clock::time_point> waitEnds;
};

TrackInfoReader::TrackInfoReader(ReadFunction read, QObject* parent)
    : QObject(parent), m_read(read ? std::move(read) : ReadFunction(&tags::readTrackInfo))
{
    // Reads of their own, so a long folder scan on the common pool never
    // holds back the title of the track that starts; two, so one slow
    // file does not hold back the next either.
    m_pool.setMaxThreadCount(2);
}

TrackInfoReader::~TrackInfoReader()
{
    m_pool.waitForDone();
}

TrackInfoReader::Stamp TrackInfoReader::stampOf(const QString& path)
{
    namespace fs = std::filesystem;
    const fs::path p(QFile::encodeName(path).toStdString());
    std::error_code error;
    Stamp stamp;
    if (path.isEmpty() || !fs::exists(p, error) || error)
        return stamp;
    stamp.exists = true;
    const auto size = fs::file_size(p, error);
    stamp.size = error ? -1 : qint64(size);
    const auto modified = fs::last_write_time(p, error);
    stamp.modifiedNs =
        error ? 0 : qint64(std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count());
    return stamp;
}

const TrackInfoReader::Entry* TrackInfoReader::kept(const QString& path, const Stamp& stamp) const
{
    for (const Entry& e : m_kept) {
        if (e.path == path && e.stamp == stamp)
            return &e;
    }
    return nullptr;
}

void TrackInfoReader::keep(Entry entry)
{
    m_kept.removeIf([&](const Entry& e) { return e.path == entry.path; });
    m_kept.prepend(std::move(entry));
    if (m_kept.size() > kKept)
        m_kept.resize(kKept);
}

TrackInfoReader::Lookup TrackInfoReader::lookup(const QString& path, bool wait)
{
    const Stamp stamp = stampOf(path);
    if (!stamp.exists)
        return Lookup{true, std::nullopt};
    if (const Entry* e = kept(path, stamp))
        return Lookup{true, e->info};

    std::shared_ptr<Job> job = m_running.value(path);
    if (!job || !(job->stamp == stamp))
        job = start(path, stamp);
    if (!wait)
        return {};
    if (!job->waitEnds)
        job->waitEnds = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    std::unique_lock lock(job->mutex);
    if (!job->done.wait_until(lock, *job->waitEnds, [&] { return job->finished; }))
        return {};
    const std::optional<tags::TrackInfo> info = job->info;
    lock.unlock();
    // finished() still follows, from settle(), for those who asked earlier.
    keep(Entry{path, stamp, info});
    return Lookup{true, info};
}

std::shared_ptr<TrackInfoReader::Job> TrackInfoReader::start(const QString& path, const Stamp& stamp)
{
    auto job = std::make_shared<Job>();
    job->path = path;
    job->stamp = stamp;
    m_running.insert(path, job);

    auto* watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcher<void>::finished, this, [this, job, watcher] {
        watcher->deleteLater();
        settle(job);
    });
    watcher->setFuture(QtConcurrent::run(&m_pool, [job, read = m_read] {
        std::optional<tags::TrackInfo> info = read(job->path);
        {
            const std::lock_guard lock(job->mutex);
            job->info = std::move(info);
            job->finished = true;
        }
        job->done.notify_all();
    }));
    return job;
}

void TrackInfoReader::settle(const std::shared_ptr<Job>& job)
{
    if (m_running.value(job->path) == job)
        m_running.remove(job->path);
    // An answer for the file as it was before a rewrite is not kept: it
    // would replace the answer for the file as it is.
    if (stampOf(job->path) == job->stamp && !kept(job->path, job->stamp)) {
        const std::lock_guard lock(job->mutex);
        keep(Entry{job->path, job->stamp, job->info});
    }
    Q_EMIT finished(job->path);
}

} // namespace yk
