#pragma once

#include <functional>
#include <memory>

#include <QTimer>

#include "platform/TrayIcon.h"

class QSystemTrayIcon;

namespace yk {

// How long to wait for a notification area that is not there yet.
struct TrayRetry
{
    int intervalMs = 2000;
    int retries = 15;
};

// The tray icon through Qt. When no notification area exists yet, it looks
// again every intervalMs, up to `retries` times (2 s for 30 s by default), then
// gives up with unavailable().
class QtTrayIcon final : public TrayIcon
{
    Q_OBJECT
public:
    using Retry = TrayRetry;
    // `trayAvailable` answers whether the desktop has a notification area
    // now; empty means asking Qt.
    explicit QtTrayIcon(QObject* parent = nullptr, std::function<bool()> trayAvailable = {},
                        Retry retry = Retry{});
    ~QtTrayIcon() override;

    void show(const QIcon& icon, const QString& toolTip) override;
    void hide() override;
    bool isShown() const override;

    // Looks still pending for the panel to appear.
    bool isWaiting() const { return m_retryTimer.isActive(); }

private:
    void tryShow();

    std::function<bool()> m_trayAvailable;
    Retry m_retry;
    QTimer m_retryTimer;
    int m_tries = 0;
    QIcon m_icon;
    QString m_toolTip;
    QSystemTrayIcon* m_tray = nullptr;
};

} // namespace yk
