#include "media/NowPlaying.h"

#include "platform/MascotChannel.h"
#include "shell/ScriptEscape.h"

namespace yk {

QString nowPlayingScript(const QString& name, const QString& artist)
{
    QString script = QStringLiteral("\\h\\s0ただいまの曲目は‥‥\\w8\\n\\n");
    if (!artist.isEmpty())
        script += escapeScriptText(artist) + QStringLiteral("さんの\\n");
    script += QStringLiteral("「 ") + escapeScriptText(name) + QStringLiteral(" 」\\n\\nです♪");
    return script;
}

QString NowPlaying::titleFor(const QString& path, bool opening)
{
    const std::optional<id3::Tag> tag = id3::readTag(path);
    if (!tag)
        return {};
    if (opening) {
        const QString name = id3::trackName(path, tag);
        m_mascot.sendScript(nowPlayingScript(name, tag->artist));
        m_mascot.sendText(name);
        m_mascot.sendText(tag->artist + QStringLiteral("、萌え～"));
    }
    return tag->title;
}

} // namespace yk
