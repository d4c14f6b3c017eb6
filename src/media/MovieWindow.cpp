#include "media/MovieWindow.h"

#include <QScreen>

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "media/MovieLayout.h"
#include "ui/ToolWindow.h"
#include "core/Twips.h"

namespace yk {

namespace {

// Small enough for any movie, large enough to keep hold of the frame.
constexpr int kSmallestSide = 48;
// Long enough for a window manager to answer a change of state.
constexpr int kSettleMs = 500;

const QColor kFrameColour(0x20, 0x20, 0x20);
const QColor kFrameEdgeColour(0x70, 0x70, 0x70);

} // namespace

MovieWindow::MovieWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frm_MP"));
    setWindowTitle(QStringLiteral("Yomikaze Movie"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(kSmallestSide, kSmallestSide);
    m_settling.setSingleShot(true);
    m_settling.setInterval(kSettleMs);

    m_tool = new ToolWindow(this);
    m_tool->addDragHandle(this, ToolWindow::Snap::WorkAreaEdges);
    // Installed after the drag handle, so the frame, the full screen and
    // the other buttons are seen before a press could start a drag.
    installEventFilter(this);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("mnu_MP"));
    const QString captions[] = {QStringLiteral("元のサイズ(&0)"), QStringLiteral("半分のサイズ(&1)"),
                                QStringLiteral("２倍のサイズ(&2)"), QStringLiteral("フルスクリーン(&3)"),
                                QStringLiteral("ウィンドウに合わせる(&4)")};
    for (int size = 0; size < 5; ++size) {
        QAction* a = m_menu->addAction(captions[size]);
        a->setObjectName(QStringLiteral("mnu_MP_Size") + QString::number(size));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, size] { Q_EMIT displaySizeChosen(size); });
    }
    m_menu->addSeparator();
    QAction* close = m_menu->addAction(QStringLiteral("閉じる(&X)"));
    close->setObjectName(QStringLiteral("mnu_MP_Close"));
    connect(close, &QAction::triggered, this, &MovieWindow::closeRequested);
}

MovieWindow::~MovieWindow()
{
    setVideo(nullptr);
}

void MovieWindow::setVideo(QWidget* video)
{
    if (m_video == video) {
        placeVideo();
        return;
    }
    if (QWidget* old = m_video) {
        old->removeEventFilter(this);
        old->removeEventFilter(m_tool);
        old->hide();
        old->setParent(nullptr);
    }
    m_video = video;
    if (!video)
        return;
    video->setParent(this);
    // The window holds the focus, so every key reaches the same place.
    video->setFocusPolicy(Qt::NoFocus);
    m_tool->addDragHandle(video, ToolWindow::Snap::WorkAreaEdges);
    video->installEventFilter(this);
    placeVideo();
    video->show();
}

void MovieWindow::setWindowTwips(QSize twips)
{
    const QSize px(toPixels(twips.width()), toPixels(twips.height()));
    m_sizeSet = px.expandedTo(minimumSize());
    if (m_fullScreen)
        m_normalPlace.setSize(m_sizeSet);
    else
        resize(m_sizeSet);
}

QSize MovieWindow::windowTwips() const
{
    const QSize px = m_fullScreen ? m_normalPlace.size() : size();
    return QSize(toTwips(px.width()), toTwips(px.height()));
}

TwipsPos MovieWindow::placeTwips() const
{
    const QPoint at = m_fullScreen ? m_normalPlace.topLeft() : pos();
    return TwipsPos{toTwips(at.y()), toTwips(at.x())};
}

void MovieWindow::setFullScreenShown(bool on)
{
    if (on == m_fullScreen)
        return;
    if (on) {
        m_normalPlace = geometry();
        m_fullScreen = true;
        // Without a window manager (or with one that ignores the state) the
        // state alone changes nothing on screen: cover the screen ourselves
        // first (a later move would drop the state again).
        if (QScreen* s = screen())
            setGeometry(s->geometry());
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else {
        m_fullScreen = false;
        m_settling.start();
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        m_sizeSet = m_normalPlace.size();
        setGeometry(m_normalPlace);
    }
    placeVideo();
    update();
}

void MovieWindow::setDisplaySizeChecked(int size)
{
    for (int i = 0; i < 5; ++i) {
        if (QAction* a = m_menu->findChild<QAction*>(QStringLiteral("mnu_MP_Size") + QString::number(i)))
            a->setChecked(i == size);
    }
}

void MovieWindow::placeVideo()
{
    if (!m_video)
        return;
    const int side = m_fullScreen ? 0 : movie::kFrameSide;
    m_video->setGeometry(rect().adjusted(side, side, -side, -side));
}

Qt::Edges MovieWindow::frameEdgesAt(QPoint at) const
{
    Qt::Edges edges;
    if (m_fullScreen)
        return edges;
    if (at.x() < movie::kFrameSide)
        edges |= Qt::LeftEdge;
    if (at.x() >= width() - movie::kFrameSide)
        edges |= Qt::RightEdge;
    if (at.y() < movie::kFrameSide)
        edges |= Qt::TopEdge;
    if (at.y() >= height() - movie::kFrameSide)
        edges |= Qt::BottomEdge;
    return edges;
}

bool MovieWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != this && watched != m_video)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && watched == m_video) {
        handleKey(static_cast<QKeyEvent*>(event));
        return true;
    }
    return handleMouse(watched, event);
}

bool MovieWindow::handleMouse(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return mouse->button() == Qt::RightButton;
        // A screen-filling picture stays where it is.
        if (m_fullScreen)
            return true;
        const Qt::Edges edges = watched == this ? frameEdgesAt(mouse->position().toPoint()) : Qt::Edges();
        if (!edges)
            return false; // the drag handle moves the window
        if (windowHandle() && windowHandle()->startSystemResize(edges))
            return true;
        m_resizeEdges = edges;
        m_resizePressGlobal = mouse->globalPosition().toPoint();
        m_resizeStart = geometry();
        return true;
    }
    case QEvent::MouseMove: {
        if (!m_resizeEdges)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint d = mouse->globalPosition().toPoint() - m_resizePressGlobal;
        QRect r = m_resizeStart;
        const int least = kSmallestSide;
        if (m_resizeEdges & Qt::LeftEdge)
            r.setLeft(std::min(r.left() + d.x(), r.right() - least + 1));
        if (m_resizeEdges & Qt::RightEdge)
            r.setRight(std::max(r.right() + d.x(), r.left() + least - 1));
        if (m_resizeEdges & Qt::TopEdge)
            r.setTop(std::min(r.top() + d.y(), r.bottom() - least + 1));
        if (m_resizeEdges & Qt::BottomEdge)
            r.setBottom(std::max(r.bottom() + d.y(), r.top() + least - 1));
        setGeometry(r);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            m_menu->popup(mouse->globalPosition().toPoint());
            return true;
        }
        if (mouse->button() == Qt::LeftButton && m_resizeEdges) {
            m_resizeEdges = {};
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        Q_EMIT doubleClicked();
        return true;
    }
    default:
        return false;
    }
}

void MovieWindow::keyPressEvent(QKeyEvent* event)
{
    handleKey(event);
}

void MovieWindow::handleKey(QKeyEvent* event)
{
    event->accept();
    const int key = event->key();
    // Digits would start the timer sounds over the movie.
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return;
    // Enter is a key press of the main window's own, not a command.
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return;
    if (event->modifiers().testFlag(Qt::KeypadModifier)) {
        if (key == Qt::Key_Plus)
            Q_EMIT forwardRequested();
        else if (key == Qt::Key_Minus)
            Q_EMIT backRequested();
    }
    Q_EMIT keyForwarded(key, event->modifiers());
}

void MovieWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeVideo();
    const bool normal = !(windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized | Qt::WindowMinimized));
    if (m_fullScreen || !normal || !isVisible() || size() == m_sizeSet)
        return;
    if (m_settling.isActive()) {
        // The size from before the full screen, coming back late: ours wins.
        QTimer::singleShot(0, this, [this] {
            if (!m_fullScreen && size() != m_sizeSet)
                resize(m_sizeSet);
        });
        return;
    }
    m_sizeSet = size();
    Q_EMIT resizedByUser();
}

void MovieWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), kFrameColour);
    if (!m_fullScreen) {
        p.setPen(kFrameEdgeColour);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void MovieWindow::closeEvent(QCloseEvent* event)
{
    // Closing is stopping the movie; the player puts the window away.
    event->ignore();
    Q_EMIT closeRequested();
}

} // namespace yk
