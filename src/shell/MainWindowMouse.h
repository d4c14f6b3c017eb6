#pragma once

#include <functional>

#include <QObject>
#include <QPointF>
#include <QRect>

#include "shell/MoveRule.h"

class QWidget;

namespace yk {

class CalendarModel;
class Form1;

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

    MainWindowMouse(Form1& form, QWidget& playWindow, CalendarModel& calendar, Actions actions,
                    QObject* parent = nullptr);

    // The work area in pixels, read once at start-up.
    void setWorkArea(const QRect& pixels);
    // Works out again on which side of the main window the play-list window sits.
    void updatePlayWindowSides();
    PlayListSides playWindowSides() const { return m_sides; }
    bool dragging() const { return m_dragging; }

private:
    void pressed(const QString& element, int index, Qt::MouseButton button, QPointF global);
    void moved(const QString& element, int index, Qt::MouseButtons buttons, QPointF global);
    void released(const QString& element, int index, Qt::MouseButton button, QPointF global);
    void doubleClicked(const QString& element, int index);

    Form1& m_form;
    QWidget& m_play;
    CalendarModel& m_calendar;
    Actions m_actions;
    WorkAreaTwips m_work;
    PlayListSides m_sides;
    bool m_dragging = false;
    QPointF m_grab; // mouse position inside the window at the press, pixels
};

} // namespace yk
