#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace yk {

AppPaths::AppPaths(QString folder)
    : m_folder(QDir::fromNativeSeparators(std::move(folder)))
{
    if (!m_folder.endsWith(u'/'))
        m_folder += u'/';
}

static bool folderIsWritable(const QString& folder)
{
    // QFileInfo::isWritable() only looks at permission bits; a read-only
    // mount or an ACL can still refuse, so really try to create a file.
    QTemporaryFile probe(folder + QStringLiteral("/.yk-write-probe-XXXXXX"));
    return probe.open();
}

AppPaths AppPaths::forExecutable()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (folderIsWritable(exeDir))
        return AppPaths(exeDir);
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return AppPaths(data);
}

QString AppPaths::file(QStringView relative) const
{
    return m_folder + relative.toString();
}

} // namespace yk
