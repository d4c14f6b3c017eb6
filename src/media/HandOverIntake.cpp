#include "media/HandOverIntake.h"

#include <QFile>
#include <QFileInfo>

#include "media/ListFiles.h"

namespace yk {

std::optional<QStringList> takeHandOver(const QString& file, bool* incomplete)
{
    const QFileInfo info(file);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;

    QStringList paths;
    const std::optional<listfile::Lines> read = listfile::readLines(file);
    if (incomplete)
        *incomplete = read && read->incomplete();
    if (read) {
        paths.reserve(read->lines.size());
        const QChar* previous = nullptr; // the line that gave paths.last()
        for (const QString& line : read->lines) {
            if (line.isEmpty())
                break;
            // Equal lines in a row come as one shared string: so do their paths.
            if (line.constData() == previous) {
                paths.append(paths.constLast());
                continue;
            }
            QStringView path(line);
            if (path.startsWith(u'"'))
                path = path.sliced(1);
            if (path.endsWith(u'"'))
                path.chop(1);
            if (!path.isEmpty()) {
                paths.append(path.toString());
                previous = line.constData();
            }
        }
    }
    QFile::remove(file);
    return paths;
}

} // namespace yk
