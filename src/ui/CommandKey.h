#pragma once

#include <QKeyEvent>

namespace yk {

// The key a command table is asked for: the key pressed, as the keyboard
// names it. Shift with the 1 key is the 1 key (Shift's own command has run
// at its own press), and the keypad's digits are keys of their own, which
// no command uses.
inline int commandKeyOf(const QKeyEvent* event)
{
    const int key = event->key();
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
    if (digit && event->modifiers().testFlag(Qt::KeypadModifier))
        return Qt::Key_unknown;
    if (!digit && event->modifiers().testFlag(Qt::ShiftModifier)) {
        // X11 and Wayland number the main row's digit keys 10 (1) to 19 (0).
        const quint32 code = event->nativeScanCode();
        if (code >= 10 && code <= 19)
            return code == 19 ? int(Qt::Key_0) : int(Qt::Key_1) + int(code - 10);
    }
    return key;
}

} // namespace yk
