#pragma once

#include <functional>

#include <QString>

namespace yk {

class AppPaths;
class Clock;
class CountdownTimer;

// How the start question was left.
enum class TimeSetAnswer {
    Yes,    // cmb_Yes, Enter
    No,     // cmb_No
    Escape, // Esc or the window's close box: the question is left unanswered
};

// The way from a double-click on the 12-hour clock (or the T key) to a
// running timer. With a start sound present and no message box wanted, the
// timer starts at once with that sound; otherwise the start question asks
// first, and only Yes starts it. Asking cancels a running timer beforehand,
// so that No and Esc both leave no timer running.
//
// Plain logic: the windows, the sound, the mascot and the settings come in
// through Actions. The question is shown without waiting; its answer comes
// back through answer().
class TimeSetFlow
{
public:
    static inline const QString kNoPresetQuestion = QStringLiteral("タイマーをセットしますか？");
    static inline const QString kStartedScript = QStringLiteral("\\t\\h\\s[0]タイマーがスタートしました♪\\e");
    // The start sound is a wave file: it always opens as one.
    static inline const QString kStartSoundDevice = QStringLiteral("WaveAudio");

    // The settings the flow reads, as they are at the moment it asks.
    struct Options
    {
        QString preset;          // timerPreset
        bool messageBox = false; // registration list entry 24 is "1"
        bool topMost = false;    // alwaysOnTop
    };

    struct Question
    {
        QString text;
        // Modal: nothing else of the program takes input until it is
        // answered (the clock still ticks). The question that offers the
        // registration window is not modal.
        bool modal = true;
        bool topMost = false;
    };

    struct Actions
    {
        std::function<Options()> options;
        // The default looks at the disk.
        std::function<bool(const QString& path)> fileExists;
        // The player's system sound: takes the device from the play list.
        std::function<void(const QString& deviceType, const QString& path)> playSound;
        // The player's title line, opaque and framed.
        std::function<void(const QString& title)> showTitle;
        std::function<void()> focusMainWindow;
        // One script, "\e" included.
        std::function<void(const QString& script)> sendMascot;
        // Shows the question window (or updates the one on screen) and
        // returns at once.
        std::function<void(const Question& question)> showQuestion;
        // Takes a question off the screen without an answer.
        std::function<void()> closeQuestion;
        // The timer registration window at its stored place.
        std::function<void()> openRegistration;
    };

    // The start sound lies in the application folder of `paths`.
    TimeSetFlow(CountdownTimer& timer, const Clock& clock, Actions actions, const AppPaths& paths);
    TimeSetFlow(const TimeSetFlow&) = delete;
    TimeSetFlow& operator=(const TimeSetFlow&) = delete;

    // The start request: the double-click on the 12-hour clock and the T key.
    void timeSet();
    // The question window's answer. Ignored when no question is open.
    void answer(TimeSetAnswer answer);

    bool questionOpen() const { return m_asking != Asking::None; }
    // The text of the question as last built (txt_Set).
    QString question() const { return m_question; }
    QString startSoundPath() const { return m_soundPath; }

    // The question for a preset: "3分後にお知らせしますか？",
    // "1時間30分後にお知らせしますか？", "PM9時5分にお知らせしますか？";
    // kNoPresetQuestion for an empty or unusable preset.
    static QString questionFor(const QString& preset);
    // The title line of a direct start: the question's "お知らせしますか？"
    // becomes "セット" ("3分後にセット").
    static QString startedTitle(const QString& question);

private:
    enum class Asking { None, Modal, Modeless };

    // Decides from the settings and the timer's state what an answer (or
    // the request itself, outside any answer) does.
    void decide(bool yesClicked);
    void directStart(const QString& preset);
    void ask(Asking how);
    bool soundPresent() const;
    Options options() const;

    CountdownTimer& m_timer;
    const Clock& m_clock;
    Actions m_actions;
    QString m_soundPath;
    QString m_question;
    Asking m_asking = Asking::None;
    bool m_startedNow = false; // the answer being handled started the timer
};

} // namespace yk
