#pragma once

#include <atomic>
#include <memory>

#include <QFutureWatcher>
#include <QObject>
#include <QQueue>
#include <QStringList>

#include "media/MediaFormats.h"

namespace yk {

// The folder walk behind `getDirList`: a media file is returned as given; a
// folder yields its own media files first, then each subfolder's, depth
// first. Paths that do not exist and unreadable folders give nothing.
// Safe to run on any thread. A walk stops early, giving what it found, once
// `cancel` turns true; `found` counts the media files as they are found.
QStringList scanMediaPath(const QString& path, const std::atomic_bool* cancel = nullptr,
                          std::atomic_int* found = nullptr);

// Runs scans off the UI thread, one after the other, and hands each result
// back on the UI thread in the order the scans were asked for, so the play
// list grows exactly as a synchronous walk would have filled it.
class MediaScanner : public QObject
{
    Q_OBJECT
public:
    explicit MediaScanner(QObject* parent = nullptr);
    ~MediaScanner() override;

    void scan(const QString& path);
    bool isBusy() const;
    // Media files the running scan has found so far (0 when idle).
    int foundSoFar() const;
    // Forgets every scan asked for so far, the running one included: its
    // result is thrown away (a drop that replaces the list).
    void cancelAll();

Q_SIGNALS:
    void scanned(const QString& path, const QStringList& entries);
    void idle();

private:
    void startNext();

    QQueue<QString> m_pending;
    QString m_current;
    bool m_inFlight = false;
    bool m_discardCurrent = false;
    QFutureWatcher<QStringList> m_watcher;
    // Shared with the running walk; a fresh pair for every scan, so a
    // cancelled walk still winding down never touches the next one's.
    std::shared_ptr<std::atomic_bool> m_cancel;
    std::shared_ptr<std::atomic_int> m_found;
};

} // namespace yk
