#include "platform/QtTrayIcon.h"

#include <QCursor>
#include <QSystemTrayIcon>

namespace yk {

QtTrayIcon::QtTrayIcon(QObject* parent, std::function<bool()> trayAvailable, Retry retry)
    : TrayIcon(parent)
    , m_trayAvailable(trayAvailable ? std::move(trayAvailable)
                                    : std::function<bool()>(&QSystemTrayIcon::isSystemTrayAvailable))
    , m_retry(retry)
{
    m_retryTimer.setInterval(m_retry.intervalMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &QtTrayIcon::tryShow);
}

QtTrayIcon::~QtTrayIcon()
{
    hide();
}

void QtTrayIcon::show(const QIcon& icon, const QString& toolTip)
{
    m_icon = icon;
    m_toolTip = toolTip;
    if (m_tray) {
        m_tray->setIcon(icon);
        m_tray->setToolTip(toolTip);
        return;
    }
    m_tries = 0;
    tryShow();
}

void QtTrayIcon::tryShow()
{
    if (!m_trayAvailable()) {
        if (m_tries++ < m_retry.retries) {
            if (!m_retryTimer.isActive())
                m_retryTimer.start();
        } else {
            m_retryTimer.stop();
            Q_EMIT unavailable();
        }
        return;
    }
    m_retryTimer.stop();
    m_tray = new QSystemTrayIcon(m_icon, this);
    m_tray->setObjectName(QStringLiteral("trayIcon"));
    m_tray->setToolTip(m_toolTip);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            Q_EMIT clicked();
        else if (reason == QSystemTrayIcon::Context)
            Q_EMIT menuRequested(QCursor::pos());
    });
    m_tray->show();
}

void QtTrayIcon::hide()
{
    m_retryTimer.stop();
    if (m_tray) {
        m_tray->hide();
        delete m_tray;
        m_tray = nullptr;
    }
}

bool QtTrayIcon::isShown() const
{
    return m_tray && m_tray->isVisible();
}

} // namespace yk
