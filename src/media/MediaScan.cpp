#include "media/MediaScan.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <array>

namespace yk {

bool isMediaFileName(const QString& fileName)
{
    static const std::array<QStringView, 19> kEndings = {
        u"wav", u"stm", u"dsm", u".mj", u"mp3", u"mp2", u"avi", u"mpg", u"mpe", u"m1v",
        u"pv2", u"p2v", u"wmv", u"wvx", u"wax", u"mid", u"idi", u"rmi", u"peg"};
    const QString name = QFileInfo(fileName).fileName();
    if (name.size() < 3)
        return false;
    const QString tail = name.right(3).toLower();
    for (QStringView e : kEndings) {
        if (tail == e)
            return true;
    }
    return false;
}

static void walkFolder(const QString& folder, QStringList& out, int depth)
{
    // A symlink loop would otherwise recurse without end.
    if (depth > 64)
        return;
    QDir dir(folder);
    const QDir::Filters hiddenToo = QDir::Hidden | QDir::System;
    const QFileInfoList files = dir.entryInfoList(QDir::Files | hiddenToo, QDir::Name);
    for (const QFileInfo& f : files) {
        if (isMediaFileName(f.fileName()))
            out.append(dir.filePath(f.fileName()));
    }
    const QFileInfoList subs = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | hiddenToo, QDir::Name);
    for (const QFileInfo& s : subs)
        walkFolder(dir.filePath(s.fileName()), out, depth + 1);
}

QStringList scanMediaPath(const QString& path)
{
    QStringList out;
    if (path.isEmpty())
        return out;
    const QFileInfo info(path);
    if (info.isFile()) {
        if (isMediaFileName(path))
            out.append(path);
        return out;
    }
    if (info.isDir())
        walkFolder(path, out, 0);
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
    if (m_inFlight)
        m_discardCurrent = true;
}

void MediaScanner::startNext()
{
    if (m_pending.isEmpty()) {
        Q_EMIT idle();
        return;
    }
    m_current = m_pending.dequeue();
    m_inFlight = true;
    const QString path = m_current;
    m_watcher.setFuture(QtConcurrent::run([path] { return scanMediaPath(path); }));
}

} // namespace yk
