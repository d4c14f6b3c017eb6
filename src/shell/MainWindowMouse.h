#pragma once

#include <functional>

#include <QObject>
#include <QPointF>
#include <QRect>

#include "core/MoveRule.h"
#include "shell/MainElement.h"

class QWidget;

namespace yk {

class CalendarModel;
class MainWindow;

// What the mouse does on the main window: dragging it (with the snap rule
// and an attached play-list window following), choosing a day or the month,
// the right-button menu and the double clicks.
class MainWindowMouse : public QObject
{
    Q_OBJECT
public:
    struct Actions
    {
        std::function<void(QPoint globalPos)> popupMenu;
        std::function<void()> openMemo;
        std::function<void()> openDataFolder;
    };

    MainWindowMouse(MainWindow& form, QWidget& playWindow, CalendarModel& calendar, Actions actions,
                    QObject* parent = nullptr);

    // The work area in pixels, read once at start-up.
    void setWorkArea(const QRect& pixels);
    // Works out again on which side of the main window the play-list window sits.
    void updatePlayWindowSides();
    PlayListSides playWindowSides() const { return m_sides; }
    bool dragging() const { return m_dragging; }

private:
    void pressed(MainElement element, int index, Qt::MouseButton button, QPointF global);
    void moved(MainElement element, int index, Qt::MouseButtons buttons, QPointF global);
    void released(MainElement element, int index, Qt::MouseButton button, QPointF global);
    void doubleClicked(MainElement element, int index);

    MainWindow& m_form;
    QWidget& m_play;
    CalendarModel& m_calendar;
    Actions m_actions;
    WorkAreaTwips m_work;
    PlayListSides m_sides;
    bool m_dragging = false;
    QPointF m_grab; // mouse position inside the window at the press, pixels
};

} // namespace yk
