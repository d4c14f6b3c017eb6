#include "media/LyricsController.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QStandardPaths>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "media/EmbeddedLyrics.h"
#include "media/LyricsScript.h"
#include "media/LyricsSearch.h"
#include "platform/MascotChannel.h"
#include "platform/ShellAdapter.h"
#include "platform/TextFile.h"

namespace yk {

LyricsController::LyricsController(MascotChannel& mascot, Sources sources, QObject* parent)
    : QObject(parent)
    , m_mascot(mascot)
    , m_sources(std::move(sources))
    , m_cacheFolder(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/lyrics"))
{
}

LyricsController::~LyricsController()
{
    cancelLookup();
}

void LyricsController::cancelLookup()
{
    ++m_lookup; // a result on its way is dropped
    if (m_cancel) {
        m_cancel->store(true);
        m_cancel.reset();
    }
}

void LyricsController::open(const QString& trackPath)
{
    cancelLookup();
    m_on = false;
    m_file.clear();
    m_text = {};

    const quint64 lookup = m_lookup;
    auto cancel = std::make_shared<std::atomic_bool>(false);
    m_cancel = cancel;
    const QString folder = m_sources.lyricsFolder ? m_sources.lyricsFolder() : QString();
    auto* watcher = new QFutureWatcher<Found>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, lookup] {
        watcher->deleteLater();
        // Another track has started (or playback stopped) since.
        if (lookup != m_lookup)
            return;
        m_cancel.reset();
        found(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(
        [trackPath, folder, cache = m_cacheFolder, cancel] { return lookUp(trackPath, folder, cache, *cancel); }));
}

LyricsController::Found LyricsController::lookUp(const QString& trackPath, const QString& lyricsFolder,
                                                 const QString& cacheFolder, const std::atomic_bool& cancel)
{
    Found f;
    f.path = lyricssearch::findLyricsFile(trackPath, lyricsFolder, &cancel);
    if (cancel.load())
        return {};
    if (!f.path.isEmpty()) {
        f.text = LyricsText::load(f.path);
        return f;
    }
    const QString embedded = readEmbeddedLyrics(trackPath);
    if (embedded.isEmpty() || cancel.load())
        return {};
    f.text = LyricsText::parseLrc(embedded);
    // Written afresh for every start of the track: the tags may have changed.
    // A failed write leaves the lyrics shown but nothing to open.
    const QString name = QFileInfo(trackPath).completeBaseName();
    f.path = cacheFolder + u'/' + (name.isEmpty() ? QStringLiteral("lyrics") : name) + QStringLiteral(".txt");
    if (!QDir().mkpath(cacheFolder) || !textfile::writeText(f.path, embedded))
        QFile::remove(f.path); // no older copy stands in for them
    return f;
}

void LyricsController::found(const Found& result)
{
    if (result.path.isEmpty()) {
        m_file.clear();
        m_on = false;
        setLabelShown(false);
    } else {
        m_file = result.path;
        m_text = result.text;
        m_on = true;
    }
    Q_EMIT lookupFinished(m_file);
}

void LyricsController::off()
{
    cancelLookup();
    m_on = false;
    setCaption({});
    // A stop hides the label at once; a new track (which opens right after
    // this) keeps it, so look once the caller is done.
    if (!m_checkPending) {
        m_checkPending = true;
        QTimer::singleShot(0, this, [this] {
            m_checkPending = false;
            tick();
        });
    }
}

QString LyricsController::lineAt(qint64 positionMs)
{
    return m_on ? m_text.lineAt(positionMs) : QString();
}

void LyricsController::updatePosition(qint64 positionMs)
{
    const QString line = lineAt(positionMs);
    // An empty answer keeps the line up; the same line is not sent twice.
    if (line.isEmpty() || line == m_caption)
        return;
    setCaption(line);
    m_mascot.sendScript(lyricsMascotScript(line));
}

void LyricsController::tick()
{
    const bool playing = m_sources.playing && m_sources.playing();
    if (playing) {
        if (!m_file.isEmpty())
            setLabelShown(true);
    } else if (m_labelShown) {
        setLabelShown(false);
        m_on = false;
    }
}

void LyricsController::openFile(ShellAdapter& shell) const
{
    if (!m_file.isEmpty() && QFileInfo(m_file).isFile())
        shell.openDocument(m_file);
}

void LyricsController::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    Q_EMIT captionChanged(caption);
}

void LyricsController::setLabelShown(bool shown)
{
    if (shown == m_labelShown)
        return;
    m_labelShown = shown;
    Q_EMIT labelShownChanged(shown);
}

} // namespace yk
