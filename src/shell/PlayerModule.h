#pragma once

#include <memory>

#include <QObject>

#include "media/PlayList.h"
#include "shell/Module.h"

namespace yk {

class NowPlaying;
class Player;
class PlayerControls;
class PlayListActions;
class PlayListView;
class Shell;
class TrackInfoReader;
class WindowsModule;

// The music and movie player: the play list and its window, the player and
// its controls on the main window, the tags read for each track, the list's
// keys and menu items, and the player's steps in the tick.
class PlayerModule : public QObject, public Module
{
    Q_OBJECT
public:
    PlayerModule(Shell& shell, WindowsModule& windows);
    ~PlayerModule() override;

    PlayList& list() { return m_list; }
    Player& player() const { return *m_player; }
    PlayerControls& controls() const { return *m_controls; }
    PlayListActions& actions() const { return *m_actions; }
    PlayListView& view() const { return *m_view; }
    NowPlaying& nowPlaying() const { return *m_nowPlaying; }
    TrackInfoReader& trackInfo() const { return *m_trackInfo; }

    // Shows or hides the play-list window and moves the main window so
    // that both fit on the work area.
    void togglePlayList();
    // The current entry as the title shows it; empty when its file is gone.
    QString currentEntryTitle() const;

    void start(const QStringList& files) override;
    void end(bool farewell) override;

Q_SIGNALS:
    // The right button on the title: the tag editor of the current entry.
    void tagEditorRequested();

private:
    void playOpeningSound();

    Shell& m_shell;
    WindowsModule& m_windows;
    PlayList m_list;
    std::unique_ptr<TrackInfoReader> m_trackInfo;
    std::unique_ptr<NowPlaying> m_nowPlaying;
    std::unique_ptr<Player> m_player;
    std::unique_ptr<PlayListActions> m_actions;
    std::unique_ptr<PlayListView> m_view;
    std::unique_ptr<PlayerControls> m_controls;
};

} // namespace yk
