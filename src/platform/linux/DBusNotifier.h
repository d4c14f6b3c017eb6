#pragma once

#include <optional>

#include <QDBusConnection>
#include <QImage>
#include <QObject>

#include "platform/DesktopNotifier.h"

namespace yk {

// Notices through the desktop's notification service
// (org.freedesktop.Notifications.Notify) on the session bus. The call is
// asynchronous and its answer is only looked at for a warning: nothing
// waits for the notification daemon, which may be slow or absent.
class DBusNotifier final : public QObject, public DesktopNotifier
{
    Q_OBJECT
public:
    static constexpr int kCallTimeoutMs = 5000;
    static inline const QString kAppName = QStringLiteral("Yomikaze");

    // The session bus, connected on the first notice.
    explicit DBusNotifier(QObject* parent = nullptr);
    // Any bus (tests point it at a private one).
    explicit DBusNotifier(const QDBusConnection& bus, QObject* parent = nullptr);

    // The picture shown with a notice that brings none of its own; the
    // application's window icon when none is set.
    void setIcon(const QImage& icon) { m_icon = icon; }

    void notify(const QString& summary, const QString& body, const QString& imagePath = {}) override;

private:
    QDBusConnection& bus();
    QImage icon() const;

    std::optional<QDBusConnection> m_bus;
    QImage m_icon;
    bool m_warned = false;
};

} // namespace yk
