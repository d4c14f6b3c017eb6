#include "media/EntryName.h"

#include <QFileInfo>

namespace yk {

QString entryDisplayName(int index, const QString& path, const QString& id3Title)
{
    QString name = id3Title;
    if (name.isEmpty()) {
        const QString file = QFileInfo(path).fileName();
        name = file.left(qMax(0, file.size() - 4));
    }
    return QString::number(index + 1) + u'.' + name;
}

} // namespace yk
