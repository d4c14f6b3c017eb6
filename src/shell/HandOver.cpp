#include "shell/HandOver.h"

#include "platform/TextFile.h"

namespace yk {

bool writeHandOver(const QString& file, const QStringList& paths)
{
    QStringList lines;
    lines.reserve(paths.size());
    for (const QString& p : paths)
        lines.append(u'"' + p + u'"');
    return textfile::writeLines(file, lines);
}

} // namespace yk
