#include "timers/TimerStateFile.h"

#include <QFile>

#include "platform/TextFile.h"
#include "core/ScriptEscape.h"

namespace yk::timerstate {

std::optional<CountdownTimer::Saved> read(const QString& file)
{
    QFile f(file);
    // A real file is two short lines; anything larger is not ours.
    if (!f.open(QIODevice::ReadOnly) || f.size() > 4096)
        return std::nullopt;
    const QStringList lines = textfile::decode(f.readAll()).split(u'\n');
    if (lines.size() < 2)
        return std::nullopt;
    CountdownTimer::Saved saved;
    saved.preset = lines.at(0).trimmed();
    saved.start = QDateTime::fromString(lines.at(1).trimmed(), Qt::ISODate);
    if (saved.preset.isEmpty() || !saved.start.isValid())
        return std::nullopt;
    return saved;
}

bool write(const QString& file, const std::optional<CountdownTimer::Saved>& saved)
{
    if (!saved)
        return !QFile::exists(file) || QFile::remove(file);
    return textfile::writeLines(file, {saved->preset, saved->start.toString(Qt::ISODate)});
}

QString missedTitle(const QDateTime& target)
{
    return QStringLiteral("%1 のタイマーは過ぎました").arg(target.toString(QStringLiteral("HH:mm")));
}

QString missedScript(const QDateTime& target)
{
    return QStringLiteral("\\t\\h\\s[0]") + escapeScriptText(target.toString(QStringLiteral("M/d HH:mm")))
        + QStringLiteral(" のタイマーは、お休みの間に過ぎてしまいました。\\e");
}

} // namespace yk::timerstate
