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
    return choose(QCoreApplication::applicationDirPath(),
                  QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

AppPaths AppPaths::choose(const QString& exeDir, const QString& userDataDir)
{
    if (!isInstalledProgram(exeDir) && folderIsWritable(exeDir))
        return AppPaths(exeDir);
    QDir().mkpath(userDataDir);
    return AppPaths(userDataDir);
}

QString installedModuleFolder(const QString& exeDir)
{
#ifdef YK_MODULE_DIR_FROM_BIN
    return QDir::cleanPath(exeDir + u'/' + QStringLiteral(YK_MODULE_DIR_FROM_BIN));
#else
    return QDir::cleanPath(exeDir + QStringLiteral("/../lib/yomikaze"));
#endif
}

bool isInstalledProgram(const QString& exeDir)
{
    return QFileInfo(installedModuleFolder(exeDir)).isDir();
}

QString AppPaths::file(QStringView relative) const
{
    return m_folder + relative.toString();
}

} // namespace yk
