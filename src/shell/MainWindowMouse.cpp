#include "shell/MainWindowMouse.h"

#include "calendar/CalendarModel.h"
#include "shell/MainWindow.h"
#include "core/Twips.h"

namespace yk {

MainWindowMouse::MainWindowMouse(MainWindow& form, QWidget& playWindow, CalendarModel& calendar, Actions actions,
                                 QObject* parent)
    : QObject(parent)
    , m_form(form)
    , m_play(playWindow)
    , m_calendar(calendar)
    , m_actions(std::move(actions))
{
    connect(&m_form, &MainWindow::elementPressed, this, &MainWindowMouse::pressed);
    connect(&m_form, &MainWindow::elementMoved, this, &MainWindowMouse::moved);
    connect(&m_form, &MainWindow::elementReleased, this, &MainWindowMouse::released);
    connect(&m_form, &MainWindow::elementDoubleClicked, this, &MainWindowMouse::doubleClicked);
}

void MainWindowMouse::setWorkArea(const QRect& r)
{
    m_work = WorkAreaTwips{toTwips(r.left()), toTwips(r.top()), toTwips(r.width()), toTwips(r.height())};
}

void MainWindowMouse::pressed(MainElement element, int, Qt::MouseButton button, QPointF global)
{
    if (button != Qt::LeftButton || isPlayerControl(element))
        return;
    m_dragging = true;
    m_grab = global - QPointF(m_form.pos());
}

void MainWindowMouse::moved(MainElement, int, Qt::MouseButtons buttons, QPointF global)
{
    if (!m_dragging || !(buttons & Qt::LeftButton))
        return;
    const QPointF wanted = global - m_grab;
    MoveRequest r;
    r.newLeft = toTwips(qRound(wanted.x()));
    r.newTop = toTwips(qRound(wanted.y()));
    r.work = m_work;
    r.playLeft = toTwips(m_play.x());
    r.playTop = toTwips(m_play.y());
    r.playShown = m_play.isVisible();
    r.sides = m_sides;
    const MovePlacement p = moveMainWindow(r);
    m_form.move(toPixels(p.left), toPixels(p.top));
    if (p.playFollows)
        m_play.move(toPixels(p.playLeft), toPixels(p.playTop));
}

void MainWindowMouse::released(MainElement element, int index, Qt::MouseButton button, QPointF global)
{
    m_dragging = false;
    if ((element == MainElement::Day || element == MainElement::NoteBar) && index >= 0)
        m_calendar.selectCell(index);
    else if (element == MainElement::YearTitle || element == MainElement::MonthTitle
             || element == MainElement::CalendarPicture || element == MainElement::WeekHead)
        m_calendar.selectMonthOnly();
    // The player's part keeps the right button for itself.
    if (button == Qt::RightButton && !isPlayerElement(element))
        m_actions.popupMenu(global.toPoint());
    updatePlayWindowSides();
}

void MainWindowMouse::doubleClicked(MainElement element, int index)
{
    if (element == MainElement::Day && index >= 0) {
        m_calendar.selectCell(index);
        m_actions.openMemo();
    } else if (element == MainElement::MonthTitle) {
        m_actions.openDataFolder();
    }
}

void MainWindowMouse::updatePlayWindowSides()
{
    m_sides = sidesOfPlayWindow(toTwips(m_form.x()), toTwips(m_form.y()), toTwips(m_play.x()), toTwips(m_play.y()));
}

} // namespace yk
