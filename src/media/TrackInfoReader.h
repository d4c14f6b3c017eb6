#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include "media/TrackTags.h"

namespace yk {

// The tags of the tracks the player starts, read off the UI thread. A big
// file (a long FLAC with a large cover picture) takes longer to read than a
// start may stall, while an ordinary one is read before anybody could tell:
// a caller waits a few milliseconds for the answer and, when it is not
// there yet, shows what it can and takes the answer from finished().
//
// The last few answers are kept, each for the file as it was read (its
// modification time and size): a file rewritten since, by the tag editor or
// anybody else, is read again.
class TrackInfoReader : public QObject
{
    Q_OBJECT
public:
    using ReadFunction = std::function<std::optional<tags::TrackInfo>(const QString& path)>;

    // How many files' answers are kept.
    static constexpr int kKept = 8;
    // The longest the UI thread waits for one read, however many lookups
    // wait for it.
    static constexpr int kWaitMs = 30;

    // `read` runs on a worker thread; empty: tags::readTrackInfo.
    explicit TrackInfoReader(ReadFunction read = {}, QObject* parent = nullptr);
    // Waits for the reads under way.
    ~TrackInfoReader() override;

    struct Lookup
    {
        bool known = false;                  // read, or found not to be there
        std::optional<tags::TrackInfo> info; // empty when known: no tags to read
    };

    // What `path` says, from the kept answers or read now on a worker;
    // with `wait`, the read has until kWaitMs after the first wait for it
    // began. When it is not known in time, known is false and
    // finished(path) follows once it is.
    Lookup lookup(const QString& path, bool wait = false);

Q_SIGNALS:
    // A read of `path` that lookup() started has ended; its answer is kept.
    void finished(const QString& path);

private:
    struct Stamp
    {
        bool exists = false;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry
    {
        QString path;
        Stamp stamp;
        std::optional<tags::TrackInfo> info;
    };
    struct Job;

    static Stamp stampOf(const QString& path);
    const Entry* kept(const QString& path, const Stamp& stamp) const;
    void keep(Entry entry);
    std::shared_ptr<Job> start(const QString& path, const Stamp& stamp);
    void settle(const std::shared_ptr<Job>& job);

    ReadFunction m_read;
    QList<Entry> m_kept; // most recent first
    QHash<QString, std::shared_ptr<Job>> m_running;
    QThreadPool m_pool;
};

} // namespace yk
