#include "platform/ShellAdapter.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace yk {

bool DesktopShell::openDocument(const QString& pathOrUrl)
{
    const QUrl url = pathOrUrl.contains(QStringLiteral("://"))
                         ? QUrl(pathOrUrl)
                         : QUrl::fromLocalFile(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

bool DesktopShell::startProgram(const QString& path)
{
    // A program that is not executable here (a document, a Windows .exe
    // without a handler) is handed to the desktop instead, as the shell would.
    if (QFileInfo(path).isExecutable())
        return QProcess::startDetached(path, {});
    return openDocument(path);
}

} // namespace yk
