#pragma once

#include <memory>

#include <QString>

namespace yk {

class DesktopNotifier;
class MascotChannel;

// The few messages the user must not miss (a timer started, its time is
// up, a timer came due while the program was not running) are first the
// mascot's to say. When the mascot does not take one (none running, or it
// refused), the desktop's notification service shows the same words once.
// Every other mascot message stays the mascot's alone: a greeting or a
// lyric line in a desktop bubble would only be noise.
class NoticeFallback
{
public:
    NoticeFallback(MascotChannel& mascot, DesktopNotifier& notifier) : m_mascot(mascot), m_notifier(notifier) {}

    // To the mascot; to the desktop too, once, if the mascot did not take
    // it. The notice's summary is the first line of the words, its body the
    // rest. A report that comes after this object is gone does nothing.
    void sendImportant(const QString& script);

    // The words of a mascot script without its commands: "\n" becomes a line
    // break (a run of them one break), "\\" and "\%" their characters, and
    // everything from "\e" on is dropped, as the mascot drops it.
    static QString plainText(const QString& script);

private:
    MascotChannel& m_mascot;
    DesktopNotifier& m_notifier;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace yk
