#include "media/HandOverIntake.h"

#include <QFile>
#include <QFileInfo>

#include "media/ListFiles.h"

namespace yk {

std::optional<QStringList> takeHandOver(const QString& file)
{
    const QFileInfo info(file);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;

    QStringList paths;
    if (const std::optional<listfile::Lines> read = listfile::readLines(file)) {
        for (const QString& line : read->lines) {
            if (line.isEmpty())
                break;
            QStringView path(line);
            if (path.startsWith(u'"'))
                path = path.sliced(1);
            if (path.endsWith(u'"'))
                path.chop(1);
            if (!path.isEmpty())
                paths.append(path.toString());
        }
    }
    QFile::remove(file);
    return paths;
}

} // namespace yk
