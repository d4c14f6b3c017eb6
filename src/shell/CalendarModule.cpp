#include "shell/CalendarModule.h"

#include "calendar/CalendarModel.h"
#include "calendar/ColourChooser.h"
#include "media/PlayWindow.h"
#include "platform/Clock.h"
#include "shell/MainWindow.h"
#include "shell/PopupMenu.h"
#include "shell/Shell.h"
#include "shell/StartUpFiles.h"
#include "skin/BackgroundController.h"
#include "timers/ClockFace.h"

namespace yk {

CalendarModule::CalendarModule(Shell& shell)
    : m_shell(shell)
    , m_clockFace(std::make_unique<ClockFace>())
    , m_calendar(std::make_unique<CalendarModel>(
          shell.settings(), DayNoteStore(shell.paths()), *shell.services().clock))
    , m_backgrounds(
          std::make_unique<BackgroundController>(shell.settings(), shell.paths(), shell.services().random))
{
    MainWindow& main = shell.mainWindow();
    connect(m_calendar.get(), &CalendarModel::aboutToDraw, m_backgrounds.get(),
        &BackgroundController::beforeMonthDraw);
    connect(m_calendar.get(), &CalendarModel::monthDrawn, &main, &MainWindow::showMonth);
    connect(m_calendar.get(), &CalendarModel::memoMarkersChanged, &main, &MainWindow::showMemoMarkers);
    connect(m_calendar.get(), &CalendarModel::scheduleMarkChanged, &main, &MainWindow::showScheduleMark);
    connect(m_backgrounds.get(), &BackgroundController::pictureChanged, &main,
        [&main](const QImage& picture) { main.setBackground(QPixmap::fromImage(picture)); });
    connect(m_backgrounds.get(), &BackgroundController::menuCheckChanged, &shell.menu(),
        &PopupMenu::checkBackground);
    connect(&shell, &Shell::menuOpening, m_backgrounds.get(), &BackgroundController::refreshMenuMarks);

    shell.tick().addStep(TickPhase::Calendar, QStringLiteral("midnight"), [this](const QDateTime&) {
        if (m_clockFace->midnightDue())
            m_calendar->rollOver();
    });
    shell.tick().addStep(TickPhase::Clock, QStringLiteral("clock"), [this, &main](const QDateTime& now) {
        bool changed = false;
        const ClockFace::Shown& s = m_clockFace->update(now, &changed);
        if (changed)
            main.showClocks(s.time24, s.time12, s.ampm);
    });
}

CalendarModule::~CalendarModule() = default;

void CalendarModule::chooseColour(const QString& button, QWidget* parent)
{
    yk::chooseCalendarColour(*m_calendar, ColourChooser(m_shell.services().colourPicker), button, parent);
}

void CalendarModule::start(const QStringList&)
{
    const SkinMarks marks = loadSkinMarks(m_shell.paths());
    m_shell.mainWindow().setSkinMarks(marks.today, marks.noteBar, marks.scheduleBar);
    m_calendar->refreshScheduleMark();
    const QDate today = m_shell.services().clock->now().date();
    m_calendar->showMonth(today.year(), today.month());

    m_backgrounds->chooseAtStartup(m_calendar->shownMonth());
    m_shell.afterFirstPaint([this] {
        const QImage picture = m_backgrounds->playWindowPicture();
        if (!picture.isNull())
            m_shell.playWindow().setPicture(QPixmap::fromImage(picture));
    });
}

} // namespace yk
