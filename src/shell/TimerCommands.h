#pragma once

#include <functional>

#include "core/CommandTable.h"

namespace yk {

class SoundKeys;

struct TimerCommandTargets
{
    std::function<void()> timeSet;        // arm the timer (or ask first)
    std::function<void()> askMessageBox;  // whether a finished timer always shows a box
    std::function<void()> stopEverything; // sound, movie, lyrics and the timer
    SoundKeys& soundKeys;
};

// T, M, Ctrl and the digits 0-9 (0 is the tenth sound).
void addTimerKeyCommands(CommandTable<int>& table, const TimerCommandTargets& t);

} // namespace yk
