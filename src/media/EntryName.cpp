#include "media/EntryName.h"

#include <QFileInfo>

#include "media/MediaFormats.h"

namespace yk {

QString entryDisplayName(int index, const QString& path, const QString& id3Title)
{
    QString name = id3Title;
    if (name.isEmpty())
        name = withoutMediaSuffix(QFileInfo(path).fileName());
    return QString::number(index + 1) + u'.' + name;
}

} // namespace yk
