#pragma once

#include <functional>

#include <QString>

#include "core/CommandTable.h"

namespace yk {

class Player;
class PlayList;
class PlayListActions;

struct PlayerCommandTargets
{
    Player& player;
    PlayList& list;
    PlayListActions& actions;
    std::function<void()> togglePlayList; // show or hide the play-list window
};

// The player's keys: C, Page Up, Page Down, Home, End, Delete, Insert,
// Backspace, D, P and Shift.
void addPlayerKeyCommands(CommandTable<int>& table, const PlayerCommandTargets& t);
// The play-list items of the right-click menu.
void addPlayerMenuCommands(CommandTable<QString>& table, const PlayerCommandTargets& t);

} // namespace yk
