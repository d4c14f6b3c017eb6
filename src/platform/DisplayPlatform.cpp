#include "platform/DisplayPlatform.h"

#include <QMessageBox>

namespace yk {

DisplayEnvironment DisplayEnvironment::current()
{
    return {qgetenv("WAYLAND_DISPLAY"), qgetenv("XDG_SESSION_TYPE"), qgetenv("DISPLAY"),
            qgetenv("QT_QPA_PLATFORM")};
}

DisplayChoice chooseDisplayPlatform(const DisplayEnvironment& env)
{
    const bool wayland = !env.waylandDisplay.isEmpty() || env.sessionType.toLower() == "wayland";
    if (!wayland)
        return {};
    if (!env.qpaPlatform.isEmpty()) {
        // The user's choice stands; warn only when it is Wayland itself
        // (Qt tries a list like "wayland;xcb" from the front).
        return {{}, env.qpaPlatform.trimmed().toLower().startsWith("wayland")};
    }
    if (!env.display.isEmpty())
        return {QByteArrayLiteral("xcb"), false};
    return {{}, true};
}

DisplayChoice applyDisplayPlatform()
{
    const DisplayChoice choice = chooseDisplayPlatform(DisplayEnvironment::current());
    if (!choice.forcePlatform.isEmpty())
        qputenv("QT_QPA_PLATFORM", choice.forcePlatform);
    return choice;
}

QString limitedDesktopText()
{
    return QStringLiteral("この画面環境（Wayland）ではウィンドウの移動・吸着・位置の記憶とホットキーが使えません。");
}

QMessageBox* showLimitedDesktopNotice(QWidget* window)
{
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Yomikaze（ﾖﾐｶｾﾞ）"),
                                limitedDesktopText(), QMessageBox::Ok, window);
    box->setObjectName(QStringLiteral("limitedDesktopNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    return box;
}

} // namespace yk
