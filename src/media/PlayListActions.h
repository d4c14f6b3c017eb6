#pragma once

#include <deque>
#include <functional>

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include "media/ListFiles.h"
#include "media/MediaScan.h"
#include "platform/AppPaths.h"

namespace yk {

class DeviceChannel;
class Player;
class PlayList;

// Everything that fills or empties the play list as a whole: the folder
// scan, the command line, drops on the two windows, the hand-over from a
// second start, the saved list (System/viw.m3u) and clearing it.
//
// Folder walks and list-file reads and writes run off the UI thread. Each batch of
// paths finishes (its follow-up runs) only after every earlier batch, so
// the list grows in the order things were asked for, as one synchronous
// walk would have filled it.
class PlayListActions : public QObject
{
    Q_OBJECT
public:
    // How the play-list window follows: set by whoever owns the window.
    struct ViewHooks
    {
        std::function<void()> rowsChanged;      // rebuild the rows at the next tick
        std::function<void()> rowsChangedKeepTop; // ... keeping the first row where it is
        std::function<void()> toTop;            // scroll thumb and first row back to the top
        std::function<void()> afterAppend;      // thumb after entries were appended
    };

    // A scan longer than this shows its progress in the title.
    static constexpr int kProgressAfterMs = 500;

    PlayListActions(PlayList& list, Player& player, DeviceChannel& device, AppPaths paths,
                    QObject* parent = nullptr);
    ~PlayListActions() override;

    void setViewHooks(ViewHooks hooks);
    // Tells the user about a failure: a list that could not be saved, or a
    // list or hand-over read only in part (a line too long, a file too big).
    void setErrorReporter(std::function<void(const QString&)> report);

    // Appends a media file, or every media file under a folder.
    void getDirList(const QString& path);
    // The D key: the last path given to the scan once more.
    void rescanLast();
    // Paths from the command line; playback starts once they are in.
    void addFromCommandLine(const QStringList& paths);
    // A drop on the main window replaces the list and plays it from the
    // top; one on the play-list window appends and leaves playback alone.
    void dropOnMainWindow(const QStringList& paths);
    void dropOnListWindow(const QStringList& paths);
    // A file chosen in the picker's play-list mode.
    void addChosenFile(const QString& path);
    // The tick's intake of lst.tmp: the file is read off the UI thread, and
    // ticks while it is being read start no second intake.
    void takeHandOver();

    // Reads System/viw.m3u (off the UI thread) into the list; a missing
    // file leaves the list as it is.
    void load();
    // Writes the list as it is now to System/viw.m3u, off the UI thread,
    // whole or not at all; saved() tells how it went (a failure also with a
    // message). A save asked for while one runs follows it with the list as
    // it is then.
    void save();
    // Empties the list and stops playback.
    void deleteAll();

    bool busy() const;
    QString lastScannedPath() const { return m_lastPath; }

Q_SIGNALS:
    // Every batch asked for so far is in the list.
    void settled();
    void loaded();
    void saved(bool ok);

private:
    struct Batch
    {
        int pending = 0;                 // scans not yet back
        std::function<void()> done;      // runs once they are
    };
    void startBatch(const QStringList& paths, std::function<void()> done);
    void onScanned(const QStringList& entries);
    void finishBatches();
    void cueFirst(bool movieAsMpeg);
    void onLoadRead();
    void onHandOverRead();
    void onSaved();
    void reportIncomplete(const QString& file);
    void showProgress();
    void call(const std::function<void()>& hook) const;

    PlayList& m_list;
    Player& m_player;
    DeviceChannel& m_device;
    AppPaths m_paths;
    ViewHooks m_hooks;
    std::function<void(const QString&)> m_report;
    MediaScanner m_scanner;
    std::deque<Batch> m_batches;
    QString m_lastPath;
    QFutureWatcher<std::optional<listfile::PlayList>> m_loadWatcher;
    bool m_loading = false;
    struct HandOver
    {
        std::optional<QStringList> paths;
        bool incomplete = false;
    };
    QFutureWatcher<HandOver> m_handOverWatcher;
    bool m_takingHandOver = false;
    QFutureWatcher<bool> m_saveWatcher;
    bool m_saving = false;
    bool m_saveAgain = false;
    QTimer m_progress;
    int m_scanMs = 0;
};

} // namespace yk
