#include "launcher/Launcher.h"

#include "platform/ShellAdapter.h"

#include <QDir>
#include <QFileInfo>

namespace yk {

bool namesExistingFile(const QString& path)
{
    // A relative path would be judged against whatever the working folder
    // happens to be, so it never counts as registered.
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return false;
    return QFileInfo(path).isFile();
}

QString launcherCaption(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.size() <= 4)
        return name;
    return name.left(name.size() - 4);
}

LauncherMenu launcherMenu(std::span<const QString> regList)
{
    LauncherMenu menu;
    for (int i = 0; i < kLauncherEntries && i < int(regList.size()); ++i) {
        const QString& path = regList[size_t(i)];
        if (!namesExistingFile(path))
            continue;
        LauncherMenuItem& item = menu.items[size_t(i)];
        item.caption = launcherCaption(path);
        item.visible = true;
        menu.separatorVisible = true;
    }
    return menu;
}

void launchProgram(ShellAdapter& shell, const QString& path)
{
    shell.startProgram(path);
}

bool startLauncherEntry(ShellAdapter& shell, std::span<const QString> regList, int i)
{
    if (i < 0 || i >= kLauncherEntries || i >= int(regList.size()))
        return false;
    const QString& path = regList[size_t(i)];
    if (!namesExistingFile(path))
        return false;
    launchProgram(shell, path);
    return true;
}

} // namespace yk
