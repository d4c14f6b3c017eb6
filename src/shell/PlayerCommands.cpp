#include "shell/PlayerCommands.h"

#include "media/PlayList.h"
#include "media/PlayListActions.h"
#include "media/Player.h"

namespace yk {

void addPlayerKeyCommands(CommandTable<int>& table, const PlayerCommandTargets& t)
{
    Player& player = t.player;
    PlayList& list = t.list;
    PlayListActions& actions = t.actions;

    // Emptying the list also stops list playback.
    table.add(Qt::Key_C, [&actions] { actions.deleteAll(); });
    // While a refresh is pending the keys wait for the tick, so a held key
    // skips one track per tick instead of racing through the list.
    table.add(Qt::Key_PageUp, [&player, &list] {
        if (list.isEmpty() || player.titleRefreshPending())
            return;
        player.back();
        player.requestTitleRefresh();
    });
    table.add(Qt::Key_PageDown, [&player, &list] {
        if (list.isEmpty() || player.titleRefreshPending())
            return;
        player.forward();
        player.requestTitleRefresh();
    });
    table.add(Qt::Key_Home, [&player, &list] {
        if (list.isEmpty())
            return;
        player.play();
        player.requestTitleRefresh();
    });
    table.add(Qt::Key_End, [&player] {
        player.stop();
        player.requestTitleRefresh();
    });
    table.add(Qt::Key_Delete, [&actions] { actions.deleteAll(); });
    table.add(Qt::Key_Insert, [&player] { player.toggleLoop(); });
    table.add(Qt::Key_Backspace, [&player] { player.togglePauseFromKey(); });
    table.add(Qt::Key_D, [&actions] { actions.rescanLast(); });
    table.add(Qt::Key_P, [&player, &list] {
        if (!list.isEmpty())
            player.play();
    });
    table.add(Qt::Key_Shift, t.togglePlayList);
}

void addPlayerMenuCommands(CommandTable<QString>& table, const PlayerCommandTargets& t)
{
    table.add(QStringLiteral("mnu_P_List"), t.togglePlayList);
    table.add(QStringLiteral("mnu_P_DelAll"), [&actions = t.actions] { actions.deleteAll(); });
}

} // namespace yk
