#include "shell/LyricsModule.h"

#include "media/Lyrics.h"
#include "media/LyricsController.h"
#include "media/Player.h"
#include "shell/MainWindow.h"
#include "shell/PlayerModule.h"
#include "shell/Shell.h"

namespace yk {

LyricsModule::LyricsModule(Shell& shell, PlayerModule& playerModule)
{
    Player& player = playerModule.player();
    const AppServices& s = shell.services();
    Settings& settings = shell.settings();
    m_lyrics = std::make_unique<LyricsController>(*s.mascot,
        LyricsController::Sources { [&settings] { return settings.lyricsFolder; },
            [&player] { return player.listPlaying() || player.systemSoundPlaying(); } });
    Lyrics* service = s.lyrics ? s.lyrics : m_lyrics.get();
    connect(&player, &Player::trackOpened, this, [service](const QString& path) { service->open(path); });
    connect(&player, &Player::lyricsOff, this, [service] { service->off(); });

    MainWindow& main = shell.mainWindow();
    connect(&player, &Player::positionChanged, m_lyrics.get(), &LyricsController::updatePosition);
    connect(m_lyrics.get(), &LyricsController::captionChanged, &main, &MainWindow::showLyricsLine);
    connect(m_lyrics.get(), &LyricsController::labelShownChanged, &main, &MainWindow::showLyricsLabel);
    connect(&main, &MainWindow::elementDoubleClicked, this, [this, &s](MainElement element, int) {
        if (element == MainElement::LyricsLine)
            m_lyrics->openFile(*s.shell);
    });
    shell.tick().addStep(
        TickPhase::Lyrics, QStringLiteral("lyrics"), [this](const QDateTime&) { m_lyrics->tick(); });
}

LyricsModule::~LyricsModule() = default;

} // namespace yk
