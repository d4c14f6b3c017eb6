#include "shell/App.h"

#include <algorithm>
#include <span>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "calendar/CalendarModel.h"
#include "calendar/ColourChooser.h"
#include "calendar/Memo.h"
#include "launcher/Launcher.h"
#include "media/CoverArt.h"
#include "media/DeviceSequences.h"
#include "media/EntryName.h"
#include "media/LyricsController.h"
#include "media/Lyrics.h"
#include "media/MovieController.h"
#include "media/MovieWindow.h"
#include "media/NowPlaying.h"
#include "media/NowPlayingNotice.h"
#include "media/PlayListActions.h"
#include "media/PlayListView.h"
#include "media/PlayWindow.h"
#include "media/Player.h"
#include "media/PlayerRemote.h"
#include "media/TrackInfoReader.h"
#include "platform/Clock.h"
#include "platform/DeviceChannel.h"
#include "platform/GlobalHotKey.h"
#include "platform/MascotChannel.h"
#include "platform/MoviePlayer.h"
#include "platform/NullServices.h"
#include "platform/null/NullMediaControls.h"
#include "platform/null/NullNotifier.h"
#include "platform/null/NullAutostart.h"
#include "platform/ShellAdapter.h"
#include "platform/TrayIcon.h"
#include "platform/VolumeMixer.h"
#include "shell/AppIcon.h"
#include "shell/Form1.h"
#include "shell/HandOver.h"
#include "shell/HelpFiles.h"
#include "shell/MainWindowMouse.h"
#include "shell/NoticeFallback.h"
#include "shell/PlayerCommands.h"
#include "shell/PlayerControls.h"
#include "shell/TimerCommands.h"
#include "shell/PopupMenu.h"
#include "shell/SecondaryWindows.h"
#include "shell/ShellCommands.h"
#include "shell/StartUpFiles.h"
#include "shell/ToolWindow.h"
#include "shell/Twips.h"
#include "skin/BackgroundController.h"
#include "timers/ClockFace.h"
#include "timers/ClockTick.h"
#include "timers/CountdownTimer.h"
#include "timers/SoundKeys.h"
#include "timers/TimerCompletion.h"
#include "timers/TimerStateFile.h"
#include "timers/TimeSetFlow.h"
#include "timers/TimeSetWindow.h"
#include "timers/TimerWindow.h"

namespace yk {

namespace {

const QString kTrayTip = QStringLiteral("Yomikaze v1.35");
const QString kPlayerCaption = QStringLiteral("Yomikaze V1.35");
const QString kFarewell = QStringLiteral("\\t\\h\\s[0]Yomikazeが終了しました♪\\e");

} // namespace

// What stands in for the services main() or a test did not give.
struct StandInServices
{
    NullMascot mascot;
    NullDeviceChannel device;
    NullVolumeMixer mixer;
    SystemClock clock;
    NullShell shell;
    NullHotKey hotKey;
    NullTrayIcon tray;
    NullMoviePlayer movie;
    NullSessionEnd sessionEnd;
    NullMediaControls mediaControls;
    NullNotifier notifier;
    NullAutostart autostart;

    AppServices complete(AppServices s)
    {
        auto fill = [](auto*& service, auto& standIn) {
            if (!service)
                service = &standIn;
        };
        fill(s.mascot, mascot);
        fill(s.device, device);
        fill(s.mixer, mixer);
        fill(s.clock, clock);
        fill(s.shell, shell);
        fill(s.hotKey, hotKey);
        fill(s.tray, tray);
        fill(s.movie, movie);
        fill(s.sessionEnd, sessionEnd);
        fill(s.mediaControls, mediaControls);
        fill(s.notifier, notifier);
        fill(s.autostart, autostart);
        return s;
    }
};

App::App(AppServices services, QObject* parent)
    : QObject(parent)
    , m_standIns(std::make_unique<StandInServices>())
    , m_s(m_standIns->complete(std::move(services)))
    , m_settings(m_s.paths.settingsFile())
{
    if (!m_s.workArea) {
        m_s.workArea = [] {
            QScreen* s = QGuiApplication::primaryScreen();
            return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
        };
    }
    m_tick = std::make_unique<ClockTick>(*m_s.clock);
    m_clockFace = std::make_unique<ClockFace>();
    m_trackInfo = std::make_unique<TrackInfoReader>(m_s.readTrackInfo);
    m_nowPlaying = std::make_unique<NowPlaying>(*m_s.mascot, *m_trackInfo);
    m_player = std::make_unique<Player>(m_playList, *m_s.device, m_s.movie, m_tick.get());
    m_listActions = std::make_unique<PlayListActions>(m_playList, *m_player, *m_s.device, m_s.paths);
    m_listView = std::make_unique<PlayListView>(m_playList, *m_player);
    m_timer = std::make_unique<CountdownTimer>();
    m_completion = std::make_unique<TimerCompletion>(completionActions(), m_s.paths.file(u"wav/Timer.wav"));
    m_timeSet = std::make_unique<TimeSetFlow>(*m_timer, *m_s.clock, timeSetActions(), m_s.paths);
    m_soundKeys = std::make_unique<SoundKeys>(
        std::span<QString>(m_settings.Reg_List),
        SoundKeys::Actions{[this](const QString& path) { m_player->playSystemSound(Player::deviceTypeFor(path), path); },
                           [this] { m_player->stop(); },
                           [this](const QString& title) { m_player->showText(title); },
                           [this] { return currentEntryTitle(); }});
    m_calendar = std::make_unique<CalendarModel>(m_settings, DayNoteStore(m_s.paths), *m_s.clock);
    m_backgrounds = std::make_unique<BackgroundController>(m_settings, m_s.paths, m_s.random);
    m_form = std::make_unique<Form1>();
    m_playWindow = std::make_unique<PlayWindow>();
    m_playWindow->setView(m_listView.get());
    m_formTool = new ToolWindow(m_form.get());
    m_menu = std::make_unique<PopupMenu>();
    m_windows = std::make_unique<SecondaryWindows>(
        SecondaryWindows::Services{m_settings, *m_calendar, *m_backgrounds, *m_s.mascot, *m_s.shell, m_s.paths,
                                   [this] { return m_workArea; }, [this] { m_settings.Save(*this); },
                                   [this](const QString& button, QWidget* owner) { chooseCalendarColour(button, owner); },
                                   [this] { refreshLauncherMenu(); }},
        m_form.get(), m_playWindow.get());
    m_controls = std::make_unique<PlayerControls>(*m_form, *m_player, *m_s.mixer,
                                                  PlayerControls::Actions{[this] { togglePlayList(); }, wireId3Editor()});
    m_mouse = std::make_unique<MainWindowMouse>(
        *m_form, *m_playWindow, *m_calendar,
        MainWindowMouse::Actions{[this](QPoint at) { popupMenu(at, true); },
                                 [this] { m_windows->openMemo(); },
                                 [this] { m_s.shell->openDocument(m_s.paths.myPath()); }});

    // Models to the windows that show them.
    connect(m_calendar.get(), &CalendarModel::aboutToDraw, m_backgrounds.get(), &BackgroundController::beforeMonthDraw);
    connect(m_calendar.get(), &CalendarModel::monthDrawn, m_form.get(), &Form1::showMonth);
    connect(m_calendar.get(), &CalendarModel::memoMarkersChanged, m_form.get(), &Form1::showMemoMarkers);
    connect(m_calendar.get(), &CalendarModel::scheduleMarkChanged, m_form.get(), &Form1::showScheduleMark);
    connect(m_backgrounds.get(), &BackgroundController::pictureChanged, m_form.get(),
            [this](const QImage& picture) { m_form->setBackground(QPixmap::fromImage(picture)); });
    connect(m_backgrounds.get(), &BackgroundController::menuCheckChanged, m_menu.get(), &PopupMenu::checkBackground);
    connect(m_windows.get(), &SecondaryWindows::aboutAccepted, this, &App::refreshLauncherMenu);
    connect(m_timer.get(), &CountdownTimer::armedChanged, this, [this](bool armed) {
        m_form->showTimerArmed(armed);
        // A due timer is caught within 100 ms, not at the next whole second.
        m_tick->requestFastTicks(QStringLiteral("timer"), armed);
    });
    connect(m_timer.get(), &CountdownTimer::changed, this, &App::keepTimerState);
    connect(m_player.get(), &Player::trackOpened, this, [this](const QString& path) { m_s.lyrics->open(path); });
    connect(m_player.get(), &Player::lyricsOff, this, [this] { m_s.lyrics->off(); });
    // A track read for its start (device closed, list playing) is announced;
    // a title refresh reads the same tag quietly.
    m_player->setTitleSource([this](const QString& path) {
        return m_nowPlaying->titleFor(path, m_s.device->command() == u"Close" && m_player->listPlaying());
    });
    // Tags that came in late replace the file name they stood in for, and
    // nothing else the title shows since.
    m_nowPlaying->setCurrentTrack([this] { return m_player->currentFile(); });
    connect(m_nowPlaying.get(), &NowPlaying::titleArrived, this, [this](const QString& path, const QString& title) {
        const int index = m_player->currentIndex();
        if (m_player->title() == entryDisplayName(index, path, tags::trackTitle(path, std::nullopt)))
            m_player->showText(entryDisplayName(index, path, title));
    });
    m_player->setMovieBlocker([this] {
        const QList<QWidget*> open = m_windows->openWindows();
        return std::any_of(open.begin(), open.end(),
                           [this](QWidget* w) { return w != m_form.get() && w != m_playWindow.get(); });
    });
    m_listActions->setViewHooks({[this] { m_listView->requestRebuild(false); },
                                 [this] { m_listView->requestRebuild(true); },
                                 [this] { m_listView->resetToTop(); }, [this] { m_listView->afterAppend(); }});
    m_listActions->setErrorReporter([this](const QString& message) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Yomikaze"), message, QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });

    // What the user does.
    connect(m_menu.get(), &PopupMenu::triggered, this, [this](const QString& name) { m_menuCommands.run(name); });
    connect(m_form.get(), &Form1::keyDown, this, [this](int key, Qt::KeyboardModifiers) {
        m_player->clearTitleRefresh();
        m_keyCommands.run(key);
    });
    connect(m_form.get(), &Form1::closeRequested, this, &App::systemClose);
    connect(m_form.get(), &Form1::filesDropped, m_listActions.get(), &PlayListActions::dropOnMainWindow);
    connect(m_form.get(), &Form1::elementDoubleClicked, this, [this](const QString& element, int) {
        if (element == u"LBL_TIME_2")
            timeSet();
    });
    connect(m_playWindow.get(), &PlayWindow::keyForwarded, this,
            [this](int key, Qt::KeyboardModifiers) { m_keyCommands.run(key); });
    connect(m_playWindow.get(), &PlayWindow::menuRequested, this, [this](QPoint at) { popupMenu(at, true); });
    connect(m_playWindow.get(), &PlayWindow::filesDropped, m_listActions.get(), &PlayListActions::dropOnListWindow);
    connect(m_playWindow.get(), &PlayWindow::loadRequested, m_listActions.get(), &PlayListActions::load);
    connect(m_playWindow.get(), &PlayWindow::saveRequested, m_listActions.get(), &PlayListActions::save);
    connect(m_playWindow.get(), &PlayWindow::addRequested, this, [this] {
        m_windows->openPlayListPicker([this](const QString& path) { m_listActions->addChosenFile(path); });
    });
    connect(m_s.hotKey, &GlobalHotKey::activated, this, &App::showHotKeyMessage);
    connect(m_s.tray, &TrayIcon::clicked, this, &App::raiseAllWindows);
    connect(m_s.tray, &TrayIcon::menuRequested, this, [this](QPoint at) { popupMenu(at, false); });
    connect(m_listActions.get(), &PlayListActions::settled, this, &App::scansFinished);

    const ShellCommandTargets targets{m_settings, *m_calendar, *m_backgrounds, *m_windows, *m_s.shell, m_s.paths,
                                      [this] { toggleTopMost(); }, [this] { shutdown(); },
                                      [this] { popupMenu(m_form->mapToGlobal(QPoint(0, 0)), true); }};
    addShellMenuCommands(m_menuCommands, targets);
    addShellKeyCommands(m_keyCommands, targets);
    const PlayerCommandTargets player{*m_player, m_playList, *m_listActions, [this] { togglePlayList(); }};
    addPlayerMenuCommands(m_menuCommands, player);
    addPlayerKeyCommands(m_keyCommands, player);
    wireAutostart();
    addTimerKeyCommands(m_keyCommands, TimerCommandTargets{[this] { timeSet(); }, [this] { askMessageBoxOption(); },
                                                           [this] { stopEverything(); }, *m_soundKeys});
    wireLyrics();
    wireMovie();
    buildTickSteps();
    wireDesktopServices();
}

App::~App() = default;

void App::buildTickSteps()
{
    m_tick->addStep(QStringLiteral("midnight"), [this](const QDateTime&) {
        if (m_clockFace->midnightDue())
            m_calendar->rollOver();
    });
    m_tick->addStep(QStringLiteral("clock"), [this](const QDateTime& now) {
        bool changed = false;
        const ClockFace::Shown& s = m_clockFace->update(now, &changed);
        if (changed)
            m_form->showClocks(s.time24, s.time12, s.ampm);
    });
    m_tick->addStep(QStringLiteral("title refresh"), [this](const QDateTime&) { m_player->tickTitleRefresh(); });
    m_tick->addStep(QStringLiteral("hand-over"), [this](const QDateTime&) { m_listActions->takeHandOver(); });
    m_tick->addStep(QStringLiteral("play-list rows"), [this](const QDateTime&) { m_listView->tickRows(); });
    m_tick->addStep(QStringLiteral("track"), [this](const QDateTime&) { m_player->tickTrack(); });
    m_tick->addStep(QStringLiteral("lyrics"), [this](const QDateTime&) { m_lyrics->tick(); });
    m_tick->addStep(QStringLiteral("player display"), [this](const QDateTime&) { m_player->tickDisplay(); });
    m_tick->addStep(QStringLiteral("movie size"), [this](const QDateTime&) { tickMovieSize(); });
    m_tick->addStep(QStringLiteral("timer check"), [this](const QDateTime& now) { m_timer->check(now); });
    m_tick->addStep(QStringLiteral("timer completion"),
                    [this](const QDateTime&) { m_completion->run(*m_timer, m_settings.Reg_List); });
}

QString App::currentEntryTitle() const
{
    const int index = m_player->currentIndex();
    const QString path = m_playList.at(index);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    return entryDisplayName(index, path);
}

void App::start(const QStringList& args)
{
    const bool commandLine = !args.isEmpty();

    // A start with files fills the play list first. The walk runs off the UI
    // thread; once every path is in, the first entry decides whether playback
    // starts at the next tick.
    if (commandLine)
        m_listActions->addFromCommandLine(absolutePaths(args));

    // Work nobody sees before the window is up waits for its first paint.
    afterFirstPaint([this] { m_s.tray->show(appIcon(), kTrayTip); });
    m_firstStart = makeDataFolders(m_s.paths);
    m_s.mascot->sendScript(greetingScript(m_s.paths));
    // The settings are read in every case, also with a command line: without
    // them the clock would never tick and the next save would wipe the
    // user's settings. After the folders exist, so a first start can create
    // the file.
    m_settings.Load(*this);
    const SkinMarks marks = loadSkinMarks(m_s.paths);
    m_form->setSkinMarks(marks.today, marks.noteBar, marks.scheduleBar);
    m_calendar->refreshScheduleMark();

    const QDate today = m_s.clock->now().date();
    m_calendar->showMonth(today.year(), today.month());
    refreshLauncherMenu();

    m_controls->placeVolumeFromMixer();
    m_backgrounds->chooseAtStartup(m_calendar->shownMonth());
    afterFirstPaint([this] {
        const QImage picture = m_backgrounds->playWindowPicture();
        if (!picture.isNull())
            m_playWindow->setPicture(QPixmap::fromImage(picture));
    });
    if (!commandLine)
        playOpeningSound();
    restoreTimer();

    m_form->showLoop(m_player->loopOn());

    m_workArea = m_s.workArea();
    m_mouse->setWorkArea(m_workArea);
    m_mouse->updatePlayWindowSides();
    m_playWindow->toolWindow()->setWorkArea(m_workArea);
    connect(m_playWindow->toolWindow(), &ToolWindow::dragFinished, m_mouse.get(),
            &MainWindowMouse::updatePlayWindowSides);
    afterFirstPaint([this] { m_s.hotKey->registerHotKey(); });
    m_playWindow->lst_Files_Name->setCurrentRow(-1);

    m_form->show();
    m_form->activateWindow();
}

void App::getDirList(const QString& path)
{
    m_listActions->getDirList(path);
}

void App::togglePlayList()
{
    if (!m_playWindow->isVisible() && m_playWindow->frameGeometry().intersects(m_form->frameGeometry())) {
        // Never over the main window (a first start stores no place for
        // the list): beside it, below when there is room, else above.
        const int side = m_form->height();
        const bool roomBelow = m_form->y() + 2 * side <= m_workArea.bottom() + 1;
        m_playWindow->move(m_form->x(), roomBelow ? m_form->y() + side : m_form->y() - side);
    }
    m_playWindow->setVisible(!m_playWindow->isVisible());
    m_mouse->updatePlayWindowSides();
    const WorkAreaTwips work{toTwips(m_workArea.left()), toTwips(m_workArea.top()), toTwips(m_workArea.width()),
                             toTwips(m_workArea.height())};
    const PairPlacement now{toTwips(m_form->x()), toTwips(m_form->y()), toTwips(m_playWindow->x()),
                            toTwips(m_playWindow->y())};
    const PairPlacement fitted = fitPlayListBeside(now, m_mouse->playWindowSides(), work);
    m_form->move(toPixels(fitted.mainLeft), toPixels(fitted.mainTop));
    m_playWindow->move(toPixels(fitted.playLeft), toPixels(fitted.playTop));
    m_menu->setPlayListChecked(m_playWindow->isVisible());
    if (m_playWindow->isVisible()) {
        ToolWindow::applyTopMost(m_playWindow.get(), m_settings.Top_Flag);
        m_playWindow->raise();
    }
}

void App::playOpeningSound()
{
    m_player->showText(kPlayerCaption);
    const auto sound = findOpeningSound(m_s.paths);
    if (!sound)
        return;
    m_player->reserveForSystemSound();
    // Loading the media framework costs more than the whole window: the
    // sound follows the first paint.
    afterFirstPaint([this, sound] { m_player->playSystemSound(sound->deviceType, sound->file); });
}

void App::afterFirstPaint(std::function<void()> work)
{
    if (m_form->hasBeenPainted()) {
        work();
        return;
    }
    connect(m_form.get(), &Form1::firstPainted, this, [this, work = std::move(work)] {
        if (!m_ended)
            work();
    }, Qt::SingleShotConnection);
}

void App::refreshLauncherMenu()
{
    m_menu->applyLauncherMenu(yk::Mnu_Apr(m_settings.Reg_List));
    m_menu->setTopChecked(m_settings.Top_Flag);
    m_menu->setMovieFullChecked(m_settings.Movie_Full_On);
}

void App::showHotKeyMessage()
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Yomikaze"),
                                QStringLiteral("ホットキーイベントが発生しました。"), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void App::chooseCalendarColour(const QString& button, QWidget* parent)
{
    yk::chooseCalendarColour(*m_calendar, ColourChooser(m_s.colourPicker), button, parent);
}

void App::popupMenu(QPoint globalPos, bool refreshMarks)
{
    if (refreshMarks)
        m_backgrounds->refreshMenuMarks();
    m_menu->popup(globalPos);
}

void App::toggleTopMost()
{
    setTopMost(!m_settings.Top_Flag);
}

void App::raiseAllWindows()
{
    // Twice: every window comes to the front and the setting stays off.
    if (!m_settings.Top_Flag) {
        toggleTopMost();
        toggleTopMost();
    }
    m_form->raise();
    m_form->activateWindow();
}

void App::startClockTick()
{
    m_tick->start();
}

ToolWindow* App::toolWindowOf(WindowId id) const
{
    if (id == WindowId::Main)
        return m_formTool;
    if (id == WindowId::Play)
        return m_playWindow->toolWindow();
    return nullptr;
}

std::optional<TwipsPos> App::windowPosition(WindowId id) const
{
    if (const ToolWindow* tool = toolWindowOf(id))
        return tool->positionTwips();
    return std::nullopt;
}

void App::placeWindow(WindowId id, TwipsPos pos)
{
    // The settings file places these two once, before they are shown; a
    // place kept from a larger or since removed screen is brought back
    // within reach, since a borderless window has no caption to pull.
    ToolWindow* tool = toolWindowOf(id);
    if (tool && !tool->window()->isVisible()) {
        tool->placeFromTwips(pos.top, pos.left, m_s.workArea(), false);
    }
}

void App::setTopMost(bool on)
{
    m_settings.Top_Flag = on;
    m_menu->setTopChecked(on);
    m_windows->applyTopMost(on);
    applyTopMostToId3Editor(on);
    if (m_movieWindow->isVisible())
        ToolWindow::applyTopMost(m_movieWindow.get(), on);
}

bool App::hasRegistrationWindow() const
{
    return m_windows->timerWindow() != nullptr;
}

void App::setRegistrationCheck(RegistrationCheck check, bool on)
{
    if (TimerWindow* w = m_windows->timerWindow())
        w->setCheck(check, on);
}

bool App::registrationCheck(RegistrationCheck check) const
{
    const TimerWindow* w = m_windows->timerWindow();
    return w && w->isChecked(check);
}

QString App::lyricsBoxText() const
{
    const TimerWindow* w = m_windows->timerWindow();
    return w ? w->lyricsBoxText() : QString();
}

void App::setMovieFullChecked(bool on)
{
    m_menu->setMovieFullChecked(on);
}

void App::endRun(bool farewell)
{
    m_ended = true;
    // A movie still shown keeps its place and size in this save.
    if (m_movieWindow->isVisible()) {
        m_s.movie->stop();
        m_movieControl->closeMovie();
    }
    m_settings.Save(*this);
    m_tick->stop();
    m_s.tray->hide();
    if (farewell) {
        m_settings.clear();
        m_soundKeys->clear();
        m_s.mascot->sendScript(kFarewell);
    }
    m_s.hotKey->unregisterHotKey();
    // Give the farewell up to a second to reach the mascot, then go.
    if (farewell)
        m_s.mascot->flush(1000);
    // Nothing keeps sounding once the windows are gone.
    device::closeAll(*m_s.device);
    m_windows->closeAll();
    m_form->hide();
    m_playWindow->hide();
    Q_EMIT finished();
}

void App::shutdown()
{
    if (!m_ended)
        endRun(true);
}

void App::systemClose()
{
    // Saving here keeps a termination from losing every change made since
    // the start.
    if (!m_ended)
        endRun(false);
}

void App::commitData()
{
    if (m_ended)
        return;
    // The session may end without another word: a shown movie's place
    // and size go into this save, and the movie plays on.
    if (m_movieWindow->isVisible())
        m_movieControl->saveRecord();
    m_settings.Save(*this);
}

} // namespace yk
