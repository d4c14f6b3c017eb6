#include "ui/ToolWindow.h"

#include "core/MoveRule.h"
#include "core/Twips.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace yk {

namespace {

// Keeps [start, start + length) inside [low, low + span) as far as it fits;
// a window larger than the area lines up with its start.
int pullInto(int start, int length, int low, int span)
{
    return std::max(low, std::min(start, low + span - length));
}

bool onSomeScreen(const QRect& wanted, const QRect& workArea)
{
    // The centre must be reachable: a borderless window with only a corner
    // on the desktop cannot be taken hold of again.
    const QPoint centre = wanted.center();
    if (workArea.contains(centre))
        return true;
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.cbegin(), screens.cend(),
                       [&](const QScreen* s) { return s->availableGeometry().contains(centre); });
}

} // namespace

ToolWindow::ToolWindow(QWidget* window)
    : QObject(window)
    , m_window(window)
{
    Q_ASSERT(window);
}

QWidget* ToolWindow::window() const
{
    return m_window;
}

void ToolWindow::placeFromTwips(std::optional<qint64> top, std::optional<qint64> left,
                                const QRect& workAreaPixels, bool topZeroMeansWorkTop)
{
    if (!top || !left)
        return;
    const QRect area = workAreaPixels.isValid() ? workAreaPixels : workArea();
    const int y = (topZeroMeansWorkTop && *top == 0) ? area.top() : toPixels(*top);
    QPoint at(toPixels(*left), y);
    const QRect wanted(at, m_window->frameGeometry().size());
    if (!onSomeScreen(wanted, area)) {
        at.setX(pullInto(at.x(), wanted.width(), area.left(), area.width()));
        at.setY(pullInto(at.y(), wanted.height(), area.top(), area.height()));
    }
    m_window->move(at);
}

TwipsPos ToolWindow::positionTwips() const
{
    return TwipsPos{toTwips(m_window->y()), toTwips(m_window->x())};
}

void ToolWindow::setTopMost(bool on)
{
    applyTopMost(m_window, on);
}

bool ToolWindow::isTopMost() const
{
    return m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void ToolWindow::applyTopMost(QWidget* window, bool on)
{
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = window->isVisible();
    const bool active = visible && window->isActiveWindow();
    const QPoint at = window->pos();
    // Changing a window flag hides the window and may let the system place
    // it anew; put it back as it was.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (window->pos() != at)
        window->move(at);
    if (visible) {
        window->show();
        if (active)
            window->activateWindow();
    }
}

void ToolWindow::addDragHandle(QWidget* handle, Snap snap)
{
    if (!handle)
        return;
    m_handles.insert(handle, snap);
    handle->installEventFilter(this);
    connect(handle, &QObject::destroyed, this, [this, handle] { m_handles.remove(handle); });
}

void ToolWindow::setWorkArea(const QRect& workAreaPixels)
{
    m_workArea = workAreaPixels;
}

QRect ToolWindow::workArea() const
{
    if (m_workArea && m_workArea->isValid())
        return *m_workArea;
    if (const QScreen* s = m_window->screen())
        return s->availableGeometry();
    if (const QScreen* s = QGuiApplication::primaryScreen())
        return s->availableGeometry();
    return {};
}

void ToolWindow::recordPosition()
{
    Q_EMIT positionRecorded(positionTwips());
}

TwipsPos ToolWindow::snapToWorkArea(TwipsPos wanted, QSize sizeTwips, const QRect& workTwips)
{
    const auto snap = [](int start, int length, int low, int span) {
        if (start <= low + kSnapDistance)
            return low;
        if (start >= low + span - (length + kSnapDistance))
            return low + span - length;
        return start;
    };
    return TwipsPos{snap(wanted.top, sizeTwips.height(), workTwips.top(), workTwips.height()),
                    snap(wanted.left, sizeTwips.width(), workTwips.left(), workTwips.width())};
}

bool ToolWindow::eventFilter(QObject* watched, QEvent* event)
{
    const auto handle = m_handles.constFind(watched);
    if (handle == m_handles.cend())
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        m_dragging = true;
        m_dragSnap = handle.value();
        m_pressGlobal = mouse->globalPosition().toPoint();
        m_pressPos = m_window->pos();
        return true;
    }
    case QEvent::MouseMove: {
        if (!m_dragging)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton)) {
            // The release went elsewhere (another window took the mouse).
            m_dragging = false;
            Q_EMIT dragFinished();
            return false;
        }
        QPoint to = m_pressPos + (mouse->globalPosition().toPoint() - m_pressGlobal);
        if (m_dragSnap == Snap::WorkAreaEdges) {
            const QRect area = workArea();
            const QSize size = m_window->frameGeometry().size();
            const TwipsPos snapped = snapToWorkArea(
                TwipsPos{toTwips(to.y()), toTwips(to.x())},
                QSize(toTwips(size.width()), toTwips(size.height())),
                QRect(toTwips(area.left()), toTwips(area.top()), toTwips(area.width()), toTwips(area.height())));
            to = QPoint(toPixels(snapped.left), toPixels(snapped.top));
        }
        if (to != m_window->pos())
            m_window->move(to);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_dragging || mouse->button() != Qt::LeftButton)
            return false;
        m_dragging = false;
        Q_EMIT dragFinished();
        return true;
    }
    default:
        return false;
    }
}

} // namespace yk
