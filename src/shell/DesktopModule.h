#pragma once

#include <memory>

#include <QObject>

#include "shell/Module.h"

namespace yk {

class CoverArt;
class NoticeFallback;
class NowPlayingNotice;
class PlayerModule;
class PlayerRemote;
class Shell;

// The program's place on the desktop: the tray icon, the global hot key,
// the player's remote controls with the current entry's cover, the notices
// that go to the desktop when the mascot misses them, and the start at login.
class DesktopModule : public QObject, public Module
{
    Q_OBJECT
public:
    DesktopModule(Shell& shell, PlayerModule& player);
    ~DesktopModule() override;

    // A script that must reach the user: to the mascot, else as a desktop notice.
    void sendImportantNotice(const QString& script);
    PlayerRemote& remote() const { return *m_remote; }

    void start(const QStringList& files) override;
    void end(bool farewell) override;

private:
    void wireAutostart();
    void toggleAutostart();
    void showHotKeyMessage();

    Shell& m_shell;
    std::unique_ptr<NoticeFallback> m_notices;
    std::unique_ptr<PlayerRemote> m_remote;
    std::unique_ptr<CoverArt> m_coverArt;
    std::unique_ptr<NowPlayingNotice> m_nowPlayingNotice;
};

} // namespace yk
