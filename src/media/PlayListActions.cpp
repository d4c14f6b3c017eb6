#include "media/PlayListActions.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

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
    m_progress.setInterval(250);
    connect(&m_progress, &QTimer::timeout, this, &PlayListActions::showProgress);
}

PlayListActions::~PlayListActions()
{
    m_scanner.cancelAll();
    m_loadWatcher.waitForFinished();
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
    return !m_batches.empty() || m_loading;
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
    dropOnListWindow({path});
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
    const std::optional<QStringList> paths = yk::takeHandOver(m_paths.handOverFile());
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
    const std::optional<listfile::PlayList> read = m_loadWatcher.result();
    if (read) {
        m_scanner.cancelAll();
        m_batches.clear();
        m_list.clear();
        m_list.append(read->entries);
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
    Q_EMIT loaded();
}

bool PlayListActions::save()
{
    const QString file = m_paths.playListFile();
    if (listfile::writePlayList(file, m_list.entries()))
        return true;
    if (m_report)
        m_report(kSaveFailed.arg(QDir::toNativeSeparators(file)));
    return false;
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
