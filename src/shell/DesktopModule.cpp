#include "shell/DesktopModule.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

#include "media/CoverArt.h"
#include "media/NowPlaying.h"
#include "media/NowPlayingNotice.h"
#include "media/Player.h"
#include "media/PlayerRemote.h"
#include "platform/Autostart.h"
#include "platform/GlobalHotKey.h"
#include "platform/MediaControls.h"
#include "platform/TrayIcon.h"
#include "shell/MainWindow.h"
#include "shell/NoticeFallback.h"
#include "shell/PlayerControls.h"
#include "shell/PlayerModule.h"
#include "shell/PopupMenu.h"
#include "shell/Shell.h"
#include "ui/AppIcon.h"

namespace yk {

namespace {

const QString kTrayTip = QStringLiteral("Yomikaze v1.35");

} // namespace

DesktopModule::DesktopModule(Shell& shell, PlayerModule& player)
    : m_shell(shell)
{
    const AppServices& s = shell.services();
    connect(s.tray, &TrayIcon::clicked, &shell, &Shell::raiseAllWindows);
    connect(s.tray, &TrayIcon::menuRequested, this, [&shell](QPoint at) { shell.popupMenu(at, false); });
    connect(s.hotKey, &GlobalHotKey::activated, this, &DesktopModule::showHotKeyMessage);

    m_notices = std::make_unique<NoticeFallback>(*s.mascot, *s.notifier);
    m_remote = std::make_unique<PlayerRemote>(player.player(), player.list(), *s.device, *s.mixer,
        player.trackInfo(),
        PlayerRemote::Actions { [&shell] {
                                   shell.mainWindow().show();
                                   shell.raiseAllWindows();
                               },
            // The End command's own path: settings saved, farewell said.
            [&shell] { shell.requestEnd(true); }, [&player] { player.controls().placeVolumeFromMixer(); } });
    // The desktop's volume slider follows a drag of our own thumb.
    connect(&player.controls(), &PlayerControls::volumeSet, m_remote.get(), [this] { m_remote->refresh(); });

    m_coverArt = std::make_unique<CoverArt>(
        s.artCacheFolder.isEmpty() ? CoverArt::defaultCacheFolder() : s.artCacheFolder);
    m_nowPlayingNotice = std::make_unique<NowPlayingNotice>(*s.notifier, *m_coverArt);
    // What plays is the mascot's to say; the desktop shows it only when no
    // mascot took the announcement.
    connect(&player.nowPlaying(), &NowPlaying::unheard, m_nowPlayingNotice.get(), &NowPlayingNotice::show);
    // The cover is looked for whenever the controls show an entry without
    // one (a remembered answer comes at once, so asking again is cheap) and
    // when a track opens; an answer for an entry since left is dropped.
    auto currentPath = [&player] { return player.list().at(player.player().currentIndex()); };
    connect(m_remote.get(), &MediaControlTarget::changed, this, [this, currentPath] {
        if (m_remote->state().track.artUrl.isEmpty())
            m_coverArt->request(currentPath());
    });
    connect(&player.player(), &Player::trackOpened, m_coverArt.get(), &CoverArt::request);
    connect(m_coverArt.get(), &CoverArt::found, this,
        [this, currentPath](const QString& path, const QString& picture) {
            const QString url = QUrl::fromLocalFile(picture).toString(QUrl::FullyEncoded);
            if (path == currentPath())
                m_remote->setArtUrl(path, picture.isEmpty() ? QString() : url);
        });
    wireAutostart();
}

DesktopModule::~DesktopModule() = default;

void DesktopModule::sendImportantNotice(const QString& script)
{
    m_notices->sendImportant(script);
}

void DesktopModule::start(const QStringList&)
{
    const AppServices& s = m_shell.services();
    // Work nobody sees before the window is up waits for its first paint.
    m_shell.afterFirstPaint([&s] { s.tray->show(appIcon(), kTrayTip); });
    m_shell.afterFirstPaint([&s] { s.hotKey->registerHotKey(); });
    // A media control asking before the window is up would wait for it.
    m_shell.afterFirstPaint([this, &s] { s.mediaControls->publish(*m_remote); });
}

void DesktopModule::end(bool)
{
    m_shell.services().tray->hide();
    m_shell.services().hotKey->unregisterHotKey();
}

void DesktopModule::showHotKeyMessage()
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Yomikaze"),
        QStringLiteral("ホットキーイベントが発生しました。"), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void DesktopModule::wireAutostart()
{
    const AppServices& s = m_shell.services();
    PopupMenu& menu = m_shell.menu();
    menu.item(QStringLiteral("mnu_Login"))->setVisible(s.autostart->supported());
    menu.setLoginChecked(s.autostart->isEnabled());
    m_shell.menuCommands().add(QStringLiteral("mnu_Login"), [this] { toggleAutostart(); });
    // The desktop's own settings or another copy may change the entry while
    // we run: the mark is read again whenever the menu opens.
    connect(menu.menu(), &QMenu::aboutToShow, this,
        [&s, &menu] { menu.setLoginChecked(s.autostart->isEnabled()); });
}

void DesktopModule::toggleAutostart()
{
    Autostart& autostart = *m_shell.services().autostart;
    const bool wanted = !autostart.isEnabled();
    if (!autostart.setEnabled(wanted)) {
        const QString what = wanted ? QStringLiteral("ログイン時の起動を設定できませんでした。")
                                    : QStringLiteral("ログイン時の起動を解除できませんでした。");
        const QString where = autostart.location();
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Yomikaze"),
            where.isEmpty() ? what : what + u'\n' + where, QMessageBox::Ok, &m_shell.mainWindow());
        box->setObjectName(QStringLiteral("autostartError"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    // The mark shows what the desktop will do, whatever happened above.
    m_shell.menu().setLoginChecked(autostart.isEnabled());
}

} // namespace yk
