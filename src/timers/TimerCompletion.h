#pragma once

#include <functional>
#include <memory>
#include <span>

#include <QString>
#include <QStringList>

#include "platform/SessionEnd.h"

namespace yk {

class CountdownTimer;

// What a reached timer does: perhaps end the session, then one notice (a
// message box, a registered sound, the default alarm sound or a registered
// program), a word to the mascot, and the timer put to rest. The options
// are entries 20-25 of the registration list; the actions come in as
// callbacks so that the logic runs without windows, device or mascot.
//
// The timer goes to rest whatever happens in between: an action that
// throws is logged and the next one runs, so a failing device or launcher
// can never leave the timer at "ok" and repeat the completion every tick.
class TimerCompletion
{
public:
    static inline const QString kMessage = QStringLiteral("♪時間になりました♪");
    static inline const QString kMessageTitle = QStringLiteral("Yomikaze（ﾖﾐｶｾﾞ）");
    static inline const QString kTitle = QStringLiteral("時間になりました");
    static inline const QString kMascotScript = QStringLiteral("\\t\\h\\s[0]時間で～～す♪\\e");

    enum class MessageKind {
        TimeUp,         // the alarm box: Cancel, Try Again and Continue; the answer is not used
        SessionEndFailed, // a plain warning with OK
    };

    // Every callback may be left empty: that action is then skipped.
    struct Actions
    {
        // Shows a message box and returns at once; the clock keeps ticking
        // behind the box.
        std::function<void(MessageKind kind, const QString& title, const QString& text)> showMessage;
        // The alarm sounds. Both take the sound device from the play list
        // (the player's system sound): the default one is a wave file, a
        // registered one may be any file the player handles.
        std::function<void(const QString& path)> playDefaultSound;
        std::function<void(const QString& path)> playRegisteredSound;
        // The player's title label while an alarm sound plays.
        std::function<void(const QString& title)> showTitle;
        // Starts a registered program (the launcher's start).
        std::function<void(const QString& path)> startProgram;
        // One script to the mascot, "\e" included.
        std::function<void(const QString& script)> sendMascot;
        // Saves the settings and an open memo before the session ends.
        // False when something could not be saved: the session then stays.
        std::function<bool()> saveBeforeSessionEnd;
        // Asks the system to power off; the answer comes later.
        std::function<void(SessionEnd::Done done)> endSession;
        // Whether a file exists; the default looks at the disk.
        std::function<bool(const QString& path)> fileExists;
    };

    // What one completion does, decided from the options alone.
    struct Plan
    {
        bool endSession = false;
        QString defaultSound;    // path, when the default sound plays
        QString registeredSound; // path, when a registered sound plays
        QString program;         // path, when a program starts
        bool messageBox = false;
        bool operator==(const Plan&) const = default;
    };

    // `defaultSoundPath` is the application folder's wav/Timer.wav.
    TimerCompletion(Actions actions, QString defaultSoundPath);
    TimerCompletion(const TimerCompletion&) = delete;
    TimerCompletion& operator=(const TimerCompletion&) = delete;

    // The decision table. `regList` holds the registration list's 26
    // entries (fewer count as empty).
    Plan plan(std::span<const QString> regList) const;

    // The tick's completion step: acts when the timer is reached, and
    // always leaves it at rest then. Returns whether it acted.
    bool run(CountdownTimer& timer, std::span<const QString> regList);

    // The session end on its own: saves first, then asks; a failure to
    // save or a refusal is said in a message box and to the mascot.
    void endSession();

    // The texts of the failure messages, for the window and the tests.
    static QString sessionEndFailureText(const SessionEnd::Result& result);
    static QString saveFailureText();

private:
    bool exists(const QString& path) const;
    void reportSessionEndFailure(const QString& text, const QString& script);
    // Runs one action; a throw is logged and swallowed.
    void guarded(const char* what, const std::function<void()>& action);

    Actions m_actions;
    QString m_defaultSound;
    // Answers from the session end may come after this object is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    bool m_running = false;
};

} // namespace yk
