#include "media/PlayWindow.h"

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "ui/CommandKey.h"
#include "ui/FileDrop.h"
#include "media/PlayListView.h"
#include "ui/ToolWindow.h"
#include "skin/Artwork.h"

namespace yk {

namespace {

constexpr int kListLeft = 7;
constexpr int kListTop = 7;
constexpr int kListHeight = 150;
constexpr int kTrackLeft = 159;
constexpr int kButtonTop = 160;


} // namespace

PlayWindow::PlayWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window)
{
    setObjectName(QStringLiteral("frm_Play"));
    setWindowTitle(QStringLiteral("Yomikaze プレイリスト"));
    setAccessibleName(QStringLiteral("プレイリスト"));
    setFixedSize(kSide, kSide);
    // Files dropped anywhere on the window, its pictures and labels too.
    connect(new FileDrop(this), &FileDrop::dropped, this, &PlayWindow::filesDropped);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("img_Def2"));
    m_picture->setGeometry(0, 0, kSide, kSide);

    m_rows = new QListWidget(this);
    m_rows->setObjectName(QStringLiteral("lst_Files_Name"));
    m_rows->setAccessibleName(QStringLiteral("曲の一覧"));
    m_rows->setGeometry(kListLeft, kListTop, PlayListView::kWideList, kListHeight);
    m_rows->setFrameShape(QFrame::NoFrame);
    m_rows->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rows->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    // Drops belong to the window, which takes them wherever they land.
    m_rows->setAcceptDrops(false);
    m_rows->viewport()->setAcceptDrops(false);
    m_rows->setStyleSheet(QStringLiteral(
        "QListWidget { background: transparent; font-size: 10px; }"
        "QListWidget::item { height: 11px; padding: 0px; }"));

    m_scrollTrack = new QLabel(this);
    m_scrollTrack->setObjectName(QStringLiteral("img_Scr"));
    m_scrollTrack->setPixmap(artwork(u"img_Scr"));
    m_scrollTrack->setGeometry(kTrackLeft, kListTop, m_scrollTrack->pixmap().width(), m_scrollTrack->pixmap().height());

    m_scrollThumb = new QLabel(this);
    m_scrollThumb->setObjectName(QStringLiteral("img_Scr_Bar"));
    m_scrollThumb->setPixmap(artwork(u"img_Tmp_Bar1"));
    m_scrollThumb->resize(m_scrollThumb->pixmap().size());

    m_addButton = addButton(QStringLiteral("img_Add"), 7);
    m_deleteButton = addButton(QStringLiteral("img_Delete"), 24);
    m_upButton = addButton(QStringLiteral("img_Up"), 66);
    m_downButton = addButton(QStringLiteral("img_Down"), 83);
    m_loadButton = addButton(QStringLiteral("img_Load"), 139);
    m_saveButton = addButton(QStringLiteral("img_Save"), 156);

    m_tool = new ToolWindow(this);
    m_tool->addDragHandle(m_picture, ToolWindow::Snap::WorkAreaEdges);
    // Installed after the drag handle, so these filters see the events first.
    m_picture->installEventFilter(this);
    m_scrollThumb->installEventFilter(this);
    m_rows->installEventFilter(this);
    m_rows->viewport()->installEventFilter(this);

    connect(m_rows, &QListWidget::currentRowChanged, this, &PlayWindow::onListRowChanged);

    refreshRows();
    refreshThumb();
}

QLabel* PlayWindow::addButton(const QString& name, int left)
{
    auto* button = new QLabel(this);
    button->setObjectName(name);
    button->setPixmap(artwork(name, false));
    button->setGeometry(left, kButtonTop, button->pixmap().width(), button->pixmap().height());
    button->installEventFilter(this);
    m_buttons.append(button);
    return button;
}

void PlayWindow::setView(PlayListView* view)
{
    if (m_view)
        disconnect(m_view, nullptr, this, nullptr);
    m_view = view;
    if (m_view) {
        connect(m_view, &PlayListView::rowsChanged, this, &PlayWindow::refreshRows);
        connect(m_view, &PlayListView::selectionChanged, this, &PlayWindow::refreshSelection);
        connect(m_view, &PlayListView::thumbChanged, this, &PlayWindow::refreshThumb);
    }
    refreshRows();
    refreshThumb();
}

PlayListView* PlayWindow::view() const
{
    return m_view;
}

void PlayWindow::clearCurrentRow()
{
    m_rows->setCurrentRow(-1);
}

void PlayWindow::setPicture(const QPixmap& picture)
{
    m_picture->setPixmap(picture);
}

void PlayWindow::refreshRows()
{
    const QStringList rows = m_view ? m_view->rows() : QStringList();
    m_syncing = true;
    if (m_rows->count() == rows.size()) {
        // Same number of rows (a reorder step): keep the items and the selection.
        for (int i = 0; i < rows.size(); ++i)
            m_rows->item(i)->setText(rows.at(i));
    } else {
        m_rows->clear();
        m_rows->addItems(rows);
    }
    m_syncing = false;

    const bool scrollable = m_view && m_view->scrollable();
    m_rows->resize(m_view ? m_view->listWidth() : PlayListView::kWideList, kListHeight);
    m_scrollTrack->setVisible(scrollable);
    m_scrollThumb->setVisible(scrollable);
    refreshSelection();
}

void PlayWindow::refreshSelection()
{
    const int row = m_view ? m_view->selectedRow() : -1;
    m_syncing = true;
    if (row >= 0 && row < m_rows->count()) {
        m_rows->setCurrentRow(row);
    } else {
        m_rows->setCurrentRow(-1);
        m_rows->clearSelection();
    }
    m_syncing = false;
}

void PlayWindow::refreshThumb()
{
    const double top = m_view ? m_view->thumbTop() : PlayListView::kThumbTop;
    const bool held = m_view && m_view->thumbHeld();
    m_scrollThumb->move(kTrackLeft, qRound(top));
    m_scrollThumb->setPixmap(artwork(held ? u"img_Tmp_Bar2" : u"img_Tmp_Bar1"));
}

void PlayWindow::onListRowChanged(int row)
{
    if (!m_syncing && m_view)
        m_view->setSelectedRow(row);
}

bool PlayWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* button = qobject_cast<QLabel*>(watched); button && m_buttons.contains(button))
        return buttonEvent(button, event);
    if (watched == m_scrollThumb)
        return thumbEvent(event);
    if (watched == m_picture)
        return backgroundEvent(event);
    if (watched == m_rows)
        return listKeyEvent(event);
    if (watched == m_rows->viewport())
        return listMouseEvent(event);
    return QWidget::eventFilter(watched, event);
}

// A picture button shows its held face while the left button is down and
// acts when it comes up.
bool PlayWindow::buttonEvent(QLabel* button, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick
        && event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QString name = button->objectName();
    if (event->type() == QEvent::MouseButtonRelease) {
        button->setPixmap(artwork(name, false));
        buttonReleased(button);
    } else {
        button->setPixmap(artwork(name, true));
    }
    return true;
}

void PlayWindow::buttonReleased(QLabel* button)
{
    if (button == m_addButton) {
        Q_EMIT addRequested();
    } else if (button == m_loadButton) {
        Q_EMIT loadRequested();
    } else if (button == m_saveButton) {
        Q_EMIT saveRequested();
    } else if (m_view) {
        if (button == m_deleteButton)
            m_view->deleteSelected();
        else if (button == m_upButton)
            m_view->scrollUp();
        else if (button == m_downButton)
            m_view->scrollDown();
    }
}

bool PlayWindow::thumbEvent(QEvent* event)
{
    if (!m_view)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        m_view->pressThumb(qRound(mouse->position().y()));
        return true;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton))
            return false;
        m_view->moveThumb(qRound(mouse->position().y()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        m_view->releaseThumb();
        return true;
    }
    default:
        return false;
    }
}

// Left presses and moves stay with the drag handle (moving the window).
bool PlayWindow::backgroundEvent(QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::MouseButtonDblClick)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::RightButton) {
        Q_EMIT menuRequested(mouse->globalPosition().toPoint());
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
        if (m_view)
            m_view->removeDuplicates();
        return true;
    }
    return false;
}

bool PlayWindow::listKeyEvent(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    PlayListView::KeyResult result = PlayListView::KeyResult::Forward;
    if (m_view)
        result = m_view->handleKey(key->key());
    else if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)
        result = PlayListView::KeyResult::ListNavigation;
    switch (result) {
    case PlayListView::KeyResult::Handled: return true;
    case PlayListView::KeyResult::ListNavigation: return false;
    case PlayListView::KeyResult::Forward: break;
    }
    Q_EMIT keyForwarded(commandKeyOf(key), key->modifiers());
    return true;
}

// Double-clicking a row plays it; dragging a row with the left button
// moves its entry through the list.
bool PlayWindow::listMouseEvent(QEvent* event)
{
    if (!m_view)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            m_view->beginRowDrag(m_rows->indexAt(mouse->position().toPoint()).row());
        return false;
    }
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const int row = m_rows->indexAt(mouse->position().toPoint()).row();
        if (row >= 0)
            m_view->playRow(row);
        return true;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_view->rowDragging() || !(mouse->buttons() & Qt::LeftButton))
            return false;
        const int row = m_rows->indexAt(mouse->position().toPoint()).row();
        if (row >= 0)
            m_view->dragRowTo(row);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            m_view->endRowDrag();
        return false;
    }
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->angleDelta().y() > 0)
            m_view->scrollUp();
        else if (wheel->angleDelta().y() < 0)
            m_view->scrollDown();
        return true;
    }
    default:
        return false;
    }
}


} // namespace yk
