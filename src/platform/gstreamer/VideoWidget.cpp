#include "platform/gstreamer/VideoWidget.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>

#include "platform/gstreamer/Playbin.h"

namespace yk::gst {

VideoWidget::VideoWidget(Playbin& playbin)
    : m_playbin(playbin)
{
    setObjectName(QStringLiteral("movieVideo"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    connect(&playbin, &Playbin::frameReady, this, qOverload<>(&QWidget::update));
    connect(&playbin, &Playbin::loaded, this,
        [this] { setOverlay(m_playbin.picture() == Playbin::Picture::Overlay); });
}

void VideoWidget::setOverlay(bool overlay)
{
    if (overlay == m_overlay)
        return;
    m_overlay = overlay;
    // The sink draws into a window of ours, and Qt must not paint over it.
    setAttribute(Qt::WA_NativeWindow, overlay);
    setAttribute(Qt::WA_PaintOnScreen, overlay);
    setAttribute(Qt::WA_NoSystemBackground, overlay);
    if (overlay) {
        m_shown = QImage();
        handOverWindow();
    }
    update();
}

void VideoWidget::handOverWindow()
{
    if (m_overlay)
        m_playbin.setWindow(winId());
}

QPaintEngine* VideoWidget::paintEngine() const
{
    return m_overlay ? nullptr : QWidget::paintEngine();
}

bool VideoWidget::event(QEvent* event)
{
    // Reparenting can give the widget a new native window: the sink follows.
    if (event->type() == QEvent::WinIdChange)
        handOverWindow();
    return QWidget::event(event);
}

void VideoWidget::paintEvent(QPaintEvent*)
{
    if (m_overlay) {
        m_playbin.expose();
        return;
    }
    QPainter painter(this);
    m_shown = m_playbin.frame();
    if (m_shown.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_shown);
}

} // namespace yk::gst
