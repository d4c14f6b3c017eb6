#pragma once

#include <functional>
#include <span>

#include <QString>

namespace yk {

// The digit keys: each picks one of the ten registered timer sounds as the
// sound a finished timer plays, and plays it at once; the same digit again
// switches the timer sound off and silences it. A different digit moves
// straight to its own sound.
class SoundKeys
{
public:
    struct Actions
    {
        std::function<void(const QString& path)> playSound; // borrows the device from the list
        std::function<void()> stopSound;                     // and gives it back
        std::function<void(const QString& title)> showTitle;
        // "3.song" for the play list's current entry; empty when its file
        // is missing or the list is empty.
        std::function<QString()> currentEntryTitle;
    };

    // `regList`: the registration list (entries 10-19 the sounds, 22 the
    // timer sound switch, 23 its number); kept by the caller.
    SoundKeys(std::span<QString> regList, Actions actions);

    // Digit n, 1..10 (the key 0 is 10).
    void press(int n);
    // Ctrl and the shutdown forget the digit last pressed.
    void clear() { m_number = 0; }
    int number() const { return m_number; }

private:
    std::span<QString> m_reg;
    Actions m_actions;
    int m_number = 0;
};

} // namespace yk
