#include "platform/ShellAdapter.h"

#include "platform/UserEnvironment.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace yk {

namespace {

bool startDetached(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setProcessEnvironment(userEnvironment());
    return process.startDetached();
}

bool isUrl(const QString& pathOrUrl)
{
    return pathOrUrl.contains(QStringLiteral("://"));
}

} // namespace

DesktopShell::DesktopShell(QString opener)
    : m_opener(opener.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("xdg-open")) : std::move(opener))
{
}

bool DesktopShell::openDocument(const QString& pathOrUrl)
{
    if (!m_opener.isEmpty())
        return startDetached(m_opener, {pathOrUrl});
    // Without the desktop's opener Qt's own way is all there is, though the
    // handler then inherits our environment.
    return QDesktopServices::openUrl(isUrl(pathOrUrl) ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl));
}

bool DesktopShell::startProgram(const QString& path)
{
    // A program that is not executable here (a document, a Windows .exe
    // without a handler) is handed to the desktop instead, as the shell would.
    if (QFileInfo(path).isExecutable())
        return startDetached(path, {});
    return openDocument(path);
}

} // namespace yk
