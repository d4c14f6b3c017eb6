#include "media/MediaScan.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

namespace yk {

namespace {

struct Walk
{
    const std::atomic_bool* cancel;
    std::atomic_int* found;
    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
    void count() const
    {
        if (found)
            found->fetch_add(1, std::memory_order_relaxed);
    }
};

void walkFolder(const QString& folder, QStringList& out, int depth, const Walk& walk)
{
    // A symlink loop would otherwise recurse without end.
    if (depth > 64 || walk.cancelled())
        return;
    // One pass over the folder: the entry type comes with the listing, so
    // no file is looked at on its own. Names sort by code point, which
    // keeps numbered tracks in order and costs no collation.
    QStringList files;
    QStringList folders;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir())
            folders.append(info.fileName());
        else if (isMediaFileName(info.fileName()))
            files.append(info.fileName());
    }
    files.sort();
    folders.sort();
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    for (const QString& f : files) {
        out.append(prefix + f);
        walk.count();
    }
    for (const QString& sub : folders)
        walkFolder(prefix + sub, out, depth + 1, walk);
}

} // namespace

QStringList scanMediaPath(const QString& path, const std::atomic_bool* cancel, std::atomic_int* found)
{
    const Walk walk{cancel, found};
    QStringList out;
    if (path.isEmpty())
        return out;
    const QFileInfo info(path);
    if (info.isFile()) {
        if (isMediaFileName(path)) {
            out.append(path);
            walk.count();
        }
        return out;
    }
    if (info.isDir())
        walkFolder(path, out, 0, walk);
    return out;
}

MediaScanner::MediaScanner(QObject* parent)
    : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<QStringList>::finished, this, [this] {
        m_inFlight = false;
        if (!m_discardCurrent)
            Q_EMIT scanned(m_current, m_watcher.result());
        m_discardCurrent = false;
        startNext();
    });
}

MediaScanner::~MediaScanner()
{
    m_pending.clear();
    if (m_cancel)
        m_cancel->store(true);
    m_watcher.waitForFinished();
}

void MediaScanner::scan(const QString& path)
{
    m_pending.enqueue(path);
    if (!isBusy())
        startNext();
}

bool MediaScanner::isBusy() const
{
    return m_inFlight;
}

void MediaScanner::cancelAll()
{
    m_pending.clear();
    if (m_inFlight) {
        m_discardCurrent = true;
        m_cancel->store(true);
    }
}

int MediaScanner::foundSoFar() const
{
    return m_inFlight && m_found ? m_found->load(std::memory_order_relaxed) : 0;
}

void MediaScanner::startNext()
{
    if (m_pending.isEmpty()) {
        Q_EMIT idle();
        return;
    }
    m_current = m_pending.dequeue();
    m_inFlight = true;
    m_cancel = std::make_shared<std::atomic_bool>(false);
    m_found = std::make_shared<std::atomic_int>(0);
    m_watcher.setFuture(QtConcurrent::run(
        [path = m_current, cancel = m_cancel, found = m_found] { return scanMediaPath(path, cancel.get(), found.get()); }));
}

} // namespace yk
