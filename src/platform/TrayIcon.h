#pragma once

#include <memory>

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>

namespace yk {

// The program's icon in the desktop's notification area. At log-in the
// panel may come up after the program, so show() may take effect later:
// isShown() tells whether the icon is really there. unavailable() says the
// icon will not come, so the caller can keep the program reachable another
// way.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~TrayIcon() override = default;

    virtual void show(const QIcon& icon, const QString& toolTip) = 0;
    // Removes the icon and gives up any pending wait for the panel.
    virtual void hide() = 0;
    virtual bool isShown() const = 0;

Q_SIGNALS:
    // Left button on the icon.
    void clicked();
    // Right button, or the panel's own menu key, at that screen position.
    void menuRequested(QPoint globalPos);
    // Gave up waiting for a notification area.
    void unavailable();
};

// The tray of this desktop; one that is never shown without one.
std::unique_ptr<TrayIcon> createTrayIcon(QObject* parent = nullptr);

} // namespace yk
