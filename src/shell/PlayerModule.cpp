#include "shell/PlayerModule.h"

#include <algorithm>

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include "core/Twips.h"
#include "media/DeviceSequences.h"
#include "media/EntryName.h"
#include "media/NowPlaying.h"
#include "media/PlayListActions.h"
#include "media/PlayListView.h"
#include "media/PlayWindow.h"
#include "media/Player.h"
#include "media/TrackInfoReader.h"
#include "platform/DeviceChannel.h"
#include "shell/MainWindow.h"
#include "shell/MainWindowMouse.h"
#include "shell/PlayerCommands.h"
#include "shell/PlayerControls.h"
#include "shell/PopupMenu.h"
#include "shell/SecondaryWindows.h"
#include "shell/Shell.h"
#include "shell/StartUpFiles.h"
#include "shell/WindowsModule.h"
#include "ui/ToolWindow.h"

namespace yk {

namespace {

const QString kPlayerCaption = QStringLiteral("Yomikaze V1.35");

} // namespace

PlayerModule::PlayerModule(Shell& shell, WindowsModule& windows)
    : m_shell(shell)
    , m_windows(windows)
{
    const AppServices& s = shell.services();
    MainWindow& main = shell.mainWindow();
    PlayWindow& playWindow = shell.playWindow();
    m_trackInfo = std::make_unique<TrackInfoReader>(s.readTrackInfo);
    m_nowPlaying = std::make_unique<NowPlaying>(*s.mascot, *m_trackInfo);
    m_player = std::make_unique<Player>(m_list, *s.device, s.movie, &shell.tick());
    m_actions = std::make_unique<PlayListActions>(m_list, *m_player, *s.device, s.paths);
    m_view = std::make_unique<PlayListView>(m_list, *m_player);
    playWindow.setView(m_view.get());
    m_controls = std::make_unique<PlayerControls>(main, *m_player, *s.mixer,
        PlayerControls::Actions { [this] { togglePlayList(); }, [this] { Q_EMIT tagEditorRequested(); } });

    // A track read for its start (device closed, list playing) is announced;
    // a title refresh reads the same tag quietly.
    m_player->setTitleSource([this, &s](const QString& path) {
        return m_nowPlaying->titleFor(path, s.device->command() == u"Close" && m_player->listPlaying());
    });
    // Tags that came in late replace the file name they stood in for, and
    // nothing else the title shows since.
    m_nowPlaying->setCurrentTrack([this] { return m_player->currentFile(); });
    connect(m_nowPlaying.get(), &NowPlaying::titleArrived, this,
        [this](const QString& path, const QString& title) {
            const int index = m_player->currentIndex();
            if (m_player->title() == entryDisplayName(index, path, tags::trackTitle(path, std::nullopt)))
                m_player->showText(entryDisplayName(index, path, title));
        });
    // A window that asks the user something keeps a movie from opening
    // over it: the on-demand windows and the timer's question, wherever
    // they belong.
    m_player->setMovieBlocker([] {
        static const QStringList kAsking{QStringLiteral("Back"),     QStringLiteral("Dir_Form"),
                                         QStringLiteral("frm_Time_Set"), QStringLiteral("frmAbout"),
                                         QStringLiteral("Memo"),     QStringLiteral("Timer")};
        const QWidgetList shown = QApplication::topLevelWidgets();
        return std::any_of(shown.begin(), shown.end(),
                           [](const QWidget* w) { return w->isVisible() && kAsking.contains(w->objectName()); });
    });
    m_actions->setViewHooks(
        { [this] { m_view->requestRebuild(false); }, [this] { m_view->requestRebuild(true); },
            [this] { m_view->resetToTop(); }, [this] { m_view->afterAppend(); } });
    m_actions->setErrorReporter([](const QString& message) {
        auto* box
            = new QMessageBox(QMessageBox::Warning, QStringLiteral("Yomikaze"), message, QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });

    connect(&shell, &Shell::mainWindowKey, m_player.get(), &Player::clearTitleRefresh);
    connect(&main, &MainWindow::filesDropped, m_actions.get(), &PlayListActions::dropOnMainWindow);
    connect(&playWindow, &PlayWindow::filesDropped, m_actions.get(), &PlayListActions::dropOnListWindow);
    connect(&playWindow, &PlayWindow::loadRequested, m_actions.get(), &PlayListActions::load);
    connect(&playWindow, &PlayWindow::saveRequested, m_actions.get(), &PlayListActions::save);
    connect(&playWindow, &PlayWindow::addRequested, this, [this] {
        m_windows.windows().openPlayListPicker(
            [this](const QString& path) { m_actions->addChosenFile(path); });
    });

    const PlayerCommandTargets targets { *m_player, m_list, *m_actions, [this] { togglePlayList(); } };
    addPlayerMenuCommands(shell.menuCommands(), targets);
    addPlayerKeyCommands(shell.keyCommands(), targets);

    ClockTick& tick = shell.tick();
    tick.addStep(TickPhase::Title, QStringLiteral("title refresh"),
        [this](const QDateTime&) { m_player->tickTitleRefresh(); });
    tick.addStep(TickPhase::Intake, QStringLiteral("hand-over"),
        [this](const QDateTime&) { m_actions->takeHandOver(); });
    tick.addStep(TickPhase::Intake, QStringLiteral("play-list rows"),
        [this](const QDateTime&) { m_view->tickRows(); });
    tick.addStep(
        TickPhase::Track, QStringLiteral("track"), [this](const QDateTime&) { m_player->tickTrack(); });
    tick.addStep(TickPhase::Display, QStringLiteral("player display"),
        [this](const QDateTime&) { m_player->tickDisplay(); });
}

PlayerModule::~PlayerModule() = default;

QString PlayerModule::currentEntryTitle() const
{
    const int index = m_player->currentIndex();
    const QString path = m_list.at(index);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    return entryDisplayName(index, path);
}

void PlayerModule::start(const QStringList& files)
{
    // A start with files fills the play list. The walk runs off the UI
    // thread; once every path is in, the first entry decides whether
    // playback starts at the next tick.
    if (!files.isEmpty())
        m_actions->addFromCommandLine(files);
    m_controls->placeVolumeFromMixer();
    if (files.isEmpty())
        playOpeningSound();
    m_shell.mainWindow().showLoop(m_player->loopOn());
    m_shell.playWindow().clearCurrentRow();
}

void PlayerModule::end(bool)
{
    // Nothing keeps sounding once the windows are gone.
    device::closeAll(*m_shell.services().device);
}

void PlayerModule::playOpeningSound()
{
    m_player->showText(kPlayerCaption);
    const auto sound = findOpeningSound(m_shell.paths());
    if (!sound)
        return;
    m_player->reserveForSystemSound();
    // Loading the media framework costs more than the whole window: the
    // sound follows the first paint.
    m_shell.afterFirstPaint([this, sound] {
        // Not when the list has started in the meantime.
        if (m_player->systemSoundReserved())
            m_player->playSystemSound(sound->deviceType, sound->file);
    });
}

void PlayerModule::togglePlayList()
{
    MainWindow& main = m_shell.mainWindow();
    PlayWindow& play = m_shell.playWindow();
    MainWindowMouse& mouse = m_windows.mouse();
    const QRect area = m_shell.workArea();
    if (!play.isVisible() && play.frameGeometry().intersects(main.frameGeometry())) {
        // Never over the main window (a first start stores no place for
        // the list): beside it, below when there is room, else above.
        const int side = main.height();
        const bool roomBelow = main.y() + 2 * side <= area.bottom() + 1;
        play.move(main.x(), roomBelow ? main.y() + side : main.y() - side);
    }
    play.setVisible(!play.isVisible());
    mouse.updatePlayWindowSides();
    const WorkAreaTwips work { toTwips(area.left()), toTwips(area.top()), toTwips(area.width()),
        toTwips(area.height()) };
    const PairPlacement now { toTwips(main.x()), toTwips(main.y()), toTwips(play.x()), toTwips(play.y()) };
    const PairPlacement fitted = fitPlayListBeside(now, mouse.playWindowSides(), work);
    main.move(toPixels(fitted.mainLeft), toPixels(fitted.mainTop));
    play.move(toPixels(fitted.playLeft), toPixels(fitted.playTop));
    m_shell.menu().setPlayListChecked(play.isVisible());
    if (play.isVisible()) {
        ToolWindow::applyTopMost(&play, m_shell.settings().alwaysOnTop);
        play.raise();
    }
}

} // namespace yk
