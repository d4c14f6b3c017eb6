#include "shell/HandOver.h"

#include <QDir>
#include <QFileInfo>

#include "media/MediaScan.h"
#include "platform/AppPaths.h"
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

QStringList absolutePaths(const QStringList& args)
{
    QStringList out;
    const QDir here = QDir::current();
    for (const QString& a : args) {
        if (!a.isEmpty())
            out.append(QDir::cleanPath(here.absoluteFilePath(a)));
    }
    return out;
}

void handOverToRunningCopy(const AppPaths& paths, const QStringList& args)
{
    if (args.isEmpty())
        return;
    if (args.size() == 1 && QFileInfo(args.first()).isFile()) {
        writeHandOver(paths.handOverFile(), args);
        return;
    }
    // No window here, so the walk may run on this thread.
    QStringList entries;
    for (const QString& a : args)
        entries += scanMediaPath(a);
    writeHandOver(paths.handOverFile(), entries);
}

} // namespace yk
