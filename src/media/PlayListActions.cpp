#include "media/PlayListActions.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

#include "media/DeviceSequences.h"
#include "media/EntryName.h"
#include "media/HandOverIntake.h"
#include "media/PlayList.h"
#include "media/Player.h"
#include "platform/DeviceChannel.h"

namespace yk {

namespace {

const QString kClose = QStringLiteral("Close");
const QString kReadError = QStringLiteral("Read Error");
// The load's own spelling, which users of the old program know from its
// title label.
const QString kLoadReadError = QStringLiteral(".Reed Error");
const QString kSaveFailed = QStringLiteral("プレイリストを保存できませんでした。\n%1\n\n前のプレイリストはそのまま残っています。");
const QString kReadInPart = QStringLiteral("リストの一部を読み込めませんでした。\n%1\n\n長すぎる行と、読み込める量を超えた分は入っていません。");

bool fileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

PlayListActions::PlayListActions(PlayList& list, Player& player, DeviceChannel& device, AppPaths paths,
                                 QObject* parent)
    : QObject(parent)
    , m_list(list)
    , m_player(player)
    , m_device(device)
    , m_paths(std::move(paths))
{
    connect(&m_scanner, &MediaScanner::scanned, this,
            [this](const QString&, const QStringList& entries) { onScanned(entries); });
    connect(&m_loadWatcher, &QFutureWatcherBase::finished, this, &PlayListActions::onLoadRead);
    connect(&m_handOverWatcher, &QFutureWatcherBase::finished, this, &PlayListActions::onHandOverRead);
    connect(&m_saveWatcher, &QFutureWatcherBase::finished, this, &PlayListActions::onSaved);
    m_progress.setInterval(250);
    connect(&m_progress, &QTimer::timeout, this, &PlayListActions::showProgress);
}

PlayListActions::~PlayListActions()
{
    m_scanner.cancelAll();
    // Only work still under way is waited for: a future whose result was
    // taken is empty and would never report finished. A save runs to its
    // end rather than leaving the old list on disk for no reason.
    if (m_loading)
        m_loadWatcher.waitForFinished();
    if (m_takingHandOver)
        m_handOverWatcher.waitForFinished();
    if (m_saving)
        m_saveWatcher.waitForFinished();
}

void PlayListActions::setViewHooks(ViewHooks hooks)
{
    m_hooks = std::move(hooks);
}

void PlayListActions::setErrorReporter(std::function<void(const QString&)> report)
{
    m_report = std::move(report);
}

void PlayListActions::call(const std::function<void()>& hook) const
{
    if (hook)
        hook();
}

bool PlayListActions::busy() const
{
    return !m_batches.empty() || m_loading || m_takingHandOver;
}

void PlayListActions::startBatch(const QStringList& paths, std::function<void()> done)
{
    m_batches.push_back(Batch{int(paths.size()), std::move(done)});
    for (const QString& p : paths) {
        m_lastPath = p;
        m_scanner.scan(p);
    }
    if (!m_progress.isActive() && !paths.isEmpty()) {
        m_scanMs = 0;
        m_progress.start();
    }
    finishBatches();
}

void PlayListActions::onScanned(const QStringList& entries)
{
    for (Batch& b : m_batches) {
        if (b.pending > 0) {
            --b.pending;
            break;
        }
    }
    m_list.append(entries);
    // Each finished walk names the current entry, as the title did after
    // every folder of the walk.
    m_player.showEntryName();
    finishBatches();
}

void PlayListActions::finishBatches()
{
    while (!m_batches.empty() && m_batches.front().pending == 0) {
        const std::function<void()> done = std::move(m_batches.front().done);
        m_batches.pop_front();
        if (done)
            done();
    }
    if (m_batches.empty()) {
        m_progress.stop();
        Q_EMIT settled();
    }
}

void PlayListActions::showProgress()
{
    m_scanMs += m_progress.interval();
    if (m_scanMs < kProgressAfterMs)
        return;
    const int found = m_list.count() + m_scanner.foundSoFar();
    m_player.showText(QStringLiteral("検索中… %1 件").arg(found));
}

void PlayListActions::getDirList(const QString& path)
{
    if (!path.isEmpty())
        startBatch({path}, {});
}

void PlayListActions::rescanLast()
{
    getDirList(m_lastPath);
}

void PlayListActions::addFromCommandLine(const QStringList& paths)
{
    QStringList given;
    for (const QString& p : paths) {
        if (!p.isEmpty())
            given.append(p);
    }
    startBatch(given, [this] {
        if (!m_list.isEmpty() && fileExists(m_list.at(0))) {
            m_player.requestPlayStart();
            call(m_hooks.rowsChanged);
        }
    });
}

void PlayListActions::dropOnMainWindow(const QStringList& paths)
{
    // The drop replaces the list: walks still running for the old one are
    // dropped with it.
    m_scanner.cancelAll();
    m_batches.clear();
    m_list.clear();
    m_player.setCurrentIndex(0);
    startBatch(paths, [this] {
        call(m_hooks.toTop);
        m_player.setCurrentIndex(0);
        m_player.requestPlayStart();
        if (m_device.command() == kClose)
            cueFirst(true);
        call(m_hooks.rowsChanged);
    });
}

void PlayListActions::dropOnListWindow(const QStringList& paths)
{
    startBatch(paths, [this] {
        call(m_hooks.afterAppend);
        if (m_device.command() == kClose)
            cueFirst(false);
        call(m_hooks.rowsChanged);
    });
}

void PlayListActions::addChosenFile(const QString& path)
{
    // The chosen file goes in as chosen: the picker offers endings (.au,
    // .aip, ...) that the folder scan's name test leaves out.
    if (path.isEmpty())
        return;
    m_list.append({path});
    call(m_hooks.afterAppend);
    if (m_device.command() == kClose)
        cueFirst(false);
    call(m_hooks.rowsChanged);
}

// Puts the current entry on the idle device without playing it, so Play
// and the position bar have something to work on.
void PlayListActions::cueFirst(bool movieAsMpeg)
{
    m_device.setCommand(kClose);
    const int index = m_player.currentIndex();
    const QString path = m_list.at(index);
    QString type = Player::deviceTypeFor(path);
    if (type.isEmpty() && movieAsMpeg)
        type = device::MpegVideo.toString();
    if (!type.isEmpty())
        m_device.setDeviceType(type);
    if (fileExists(path)) {
        device::cue(m_device, std::nullopt, path);
        m_player.showEntryName();
    } else {
        m_player.showText(kReadError);
    }
}

void PlayListActions::takeHandOver()
{
    if (m_takingHandOver)
        return;
    // The usual tick: no file, and no thread started to find that out.
    const QFileInfo info(m_paths.handOverFile());
    if (!info.exists() && !info.isSymLink())
        return;
    m_takingHandOver = true;
    m_handOverWatcher.setFuture(QtConcurrent::run([file = m_paths.handOverFile()] {
        HandOver taken;
        taken.paths = yk::takeHandOver(file, &taken.incomplete);
        return taken;
    }));
}

void PlayListActions::onHandOverRead()
{
    m_takingHandOver = false;
    const HandOver taken = m_handOverWatcher.future().takeResult();
    const std::optional<QStringList>& paths = taken.paths;
    if (taken.incomplete)
        reportIncomplete(m_paths.handOverFile());
    if (!paths)
        return;
    m_scanner.cancelAll();
    m_batches.clear();
    m_list.clear();
    m_player.setCurrentIndex(0);
    call(m_hooks.rowsChanged);
    startBatch(*paths, [this] {
        call(m_hooks.rowsChangedKeepTop);
        m_player.requestPlayStart();
        m_player.setCurrentIndex(0);
    });
}

void PlayListActions::load()
{
    if (m_loading)
        return;
    m_loading = true;
    m_loadWatcher.setFuture(QtConcurrent::run(
        [file = m_paths.playListFile()] { return listfile::readPlayList(file); }));
}

void PlayListActions::onLoadRead()
{
    m_loading = false;
    // Taken, not copied: the future would otherwise keep a second list of
    // every entry alive.
    const std::optional<listfile::PlayList> read = m_loadWatcher.future().takeResult();
    if (read) {
        m_scanner.cancelAll();
        m_batches.clear();
        m_list.clear();
        m_list.assign(read->entries);
        call(m_hooks.toTop);
        m_player.setCurrentIndex(0);
        m_player.clearListPlay();
        m_player.showText({});
    }
    const QString first = m_list.at(0);
    if (!first.isEmpty())
        m_player.closeDevice();
    if (!fileExists(first)) {
        m_player.showText(QString::number(m_player.currentIndex() + 1) + kLoadReadError);
    } else {
        m_player.showText(entryDisplayName(m_player.currentIndex(), first));
        m_device.setFileName(first);
        call(m_hooks.rowsChanged);
    }
    if (read && read->incomplete())
        reportIncomplete(m_paths.playListFile());
    Q_EMIT loaded();
}

void PlayListActions::reportIncomplete(const QString& file)
{
    if (m_report)
        m_report(kReadInPart.arg(QDir::toNativeSeparators(file)));
}

void PlayListActions::save()
{
    if (m_saving) {
        m_saveAgain = true;
        return;
    }
    m_saving = true;
    // The list is shared with the writer, not copied: an edit meanwhile
    // makes the list its own copy and leaves the writer's as it was.
    m_saveWatcher.setFuture(QtConcurrent::run(
        [file = m_paths.playListFile(), entries = m_list.entries()] { return listfile::writePlayList(file, entries); }));
}

void PlayListActions::onSaved()
{
    m_saving = false;
    const bool ok = m_saveWatcher.result();
    if (!ok && m_report)
        m_report(kSaveFailed.arg(QDir::toNativeSeparators(m_paths.playListFile())));
    Q_EMIT saved(ok);
    if (std::exchange(m_saveAgain, false))
        save();
}

void PlayListActions::deleteAll()
{
    m_scanner.cancelAll();
    m_batches.clear();
    m_progress.stop();
    call(m_hooks.toTop);
    m_list.clear();
    m_player.setCurrentIndex(0);
    call(m_hooks.rowsChanged);
    m_player.stop();
}

} // namespace yk
