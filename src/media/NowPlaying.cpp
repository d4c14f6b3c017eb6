#include "media/NowPlaying.h"

#include <QPointer>

#include "media/TrackInfoReader.h"
#include "platform/MascotChannel.h"
#include "core/ScriptEscape.h"

namespace yk {

QString nowPlayingScript(const QString& name, const QString& artist)
{
    QString script = QStringLiteral("\\h\\s0ただいまの曲目は‥‥\\w8\\n\\n");
    if (!artist.isEmpty())
        script += escapeScriptText(artist) + QStringLiteral("さんの\\n");
    script += QStringLiteral("「 ") + escapeScriptText(name) + QStringLiteral(" 」\\n\\nです♪");
    return script;
}

NowPlaying::NowPlaying(MascotChannel& mascot, TrackInfoReader& reader, QObject* parent)
    : QObject(parent), m_mascot(mascot), m_reader(reader)
{
    connect(&m_reader, &TrackInfoReader::finished, this, &NowPlaying::onRead);
}

void NowPlaying::setCurrentTrack(std::function<QString()> current)
{
    m_current = std::move(current);
}

QString NowPlaying::titleFor(const QString& path, bool opening)
{
    const TrackInfoReader::Lookup found = m_reader.lookup(path, true);
    // A start still waiting for this file's tags is announced by whichever
    // read of them comes first; one for another file is over.
    if (path == m_pendingPath)
        opening = opening || m_pendingOpening;
    m_pendingPath.clear();
    if (!found.known) {
        m_pendingPath = path;
        m_pendingOpening = opening;
        return tags::trackTitle(path, std::nullopt);
    }
    const QString name = tags::trackTitle(path, found.info);
    if (opening && found.info && found.info->hasTag)
        announce(path, name, found.info->artist);
    return name;
}

void NowPlaying::onRead(const QString& path)
{
    if (path != m_pendingPath)
        return;
    const bool opening = m_pendingOpening;
    m_pendingPath.clear();
    if (m_current && m_current() != path)
        return;
    const TrackInfoReader::Lookup found = m_reader.lookup(path);
    if (!found.known) {
        // Rewritten while it was read: the next read answers.
        m_pendingPath = path;
        m_pendingOpening = opening;
        return;
    }
    const QString name = tags::trackTitle(path, found.info);
    if (name != tags::trackTitle(path, std::nullopt))
        Q_EMIT titleArrived(path, name);
    if (opening && found.info && found.info->hasTag)
        announce(path, name, found.info->artist);
}

void NowPlaying::announce(const QString& path, const QString& name, const QString& artist)
{
    QPointer<NowPlaying> self(this);
    m_mascot.sendScriptReported(nowPlayingScript(name, artist), [self, path, name, artist](bool taken) {
        if (!taken && self)
            Q_EMIT self->unheard(path, name, artist);
    });
    m_mascot.sendText(name);
    m_mascot.sendText(artist + QStringLiteral("、萌え～"));
}

} // namespace yk
