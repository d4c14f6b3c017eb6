#pragma once

#include <memory>

#include <QObject>

#include "shell/Module.h"

class QWidget;

namespace yk {

class BackgroundController;
class CalendarModel;
class ClockFace;
class Shell;

// The month, the clocks and the background pictures on the main window:
// the day's roll-over and the clocks in the tick, the month and the marks
// shown from the model, the background items of the menu.
class CalendarModule : public QObject, public Module
{
    Q_OBJECT
public:
    explicit CalendarModule(Shell& shell);
    ~CalendarModule() override;

    CalendarModel& calendar() const { return *m_calendar; }
    BackgroundController& backgrounds() const { return *m_backgrounds; }
    // One of the six colour buttons ("cmd_Y", "cmd_M", "cmd_T", "cmd_Sun",
    // "cmd_W_D", "cmd_Sat"): asks for a colour; a cancelled dialog changes nothing.
    void chooseColour(const QString& button, QWidget* parent = nullptr);

    void start(const QStringList& files) override;

private:
    Shell& m_shell;
    std::unique_ptr<ClockFace> m_clockFace;
    std::unique_ptr<CalendarModel> m_calendar;
    std::unique_ptr<BackgroundController> m_backgrounds;
};

} // namespace yk
