#include "shell/TimerCommands.h"

#include "timers/SoundKeys.h"

namespace yk {

void addTimerKeyCommands(CommandTable<int>& table, const TimerCommandTargets& t)
{
    table.add(Qt::Key_T, t.timeSet);
    table.add(Qt::Key_M, t.askMessageBox);
    table.add(Qt::Key_Control, t.stopEverything);
    for (int n = 1; n <= 10; ++n) {
        const int key = n == 10 ? Qt::Key_0 : Qt::Key_0 + n;
        table.add(key, [&keys = t.soundKeys, n] { keys.press(n); });
    }
}

} // namespace yk
