#pragma once

#include <optional>

#include <QString>

namespace yk {

// The windows whose places are kept in the settings file, in the order of
// their fields in windowPlaces (two fields each: top, then left).
enum class WindowId {
    Main,         // MainWindow, fields 1-2
    Back,         // fields 3-4
    Launcher,     // FilePickerWindow, fields 5-6
    Memo,         // fields 7-8
    Registration, // Timer, fields 9-10
    Play,         // frm_Play, fields 11-12
    Movie,        // frm_MP, fields 13-14 (kept as movieTop / movieLeft)
};

// A window's place in twips.
struct TwipsPos
{
    int top = 0;
    int left = 0;
    friend bool operator==(const TwipsPos&, const TwipsPos&) = default;
};

// The four option boxes of the registration window.
enum class RegistrationCheck {
    Apr,     // cek_Apr: run a program when a timer ends (registrations 20)
    Audio,   // cek_Audio: play a sound when a timer ends (registrations 22)
    TimeOff, // cek_Time_Off: show a message box (registrations 24)
    ExitWin, // cek_Exit_Win: end the session (registrations 25)
};

// What loading and saving the settings do to the windows. The shell's
// windows implement it; every function has a harmless default so a host
// overrides only what it has, and tests record the calls.
class SettingsHost
{
public:
    virtual ~SettingsHost() = default;

    // The 100 ms clock tick of the main window. The host owns the timer.
    virtual void startClockTick() {}

    // Where a window is now; nullopt when the host has no such window, in
    // which case the place kept in windowPlaces is written instead.
    virtual std::optional<TwipsPos> windowPosition(WindowId) const { return std::nullopt; }

    // Asks to move a window to its stored place. The host leaves a window
    // that is already visible where it is.
    virtual void placeWindow(WindowId, TwipsPos) {}

    // mnu_Top's check mark, and the main and play-list windows top-most or not.
    virtual void setTopMost(bool) {}
    // mnu_Movie_Full's check mark.
    virtual void setMovieFullChecked(bool) {}

    // The registration window, when it is loaded. Without it the settings
    // object writes the values it holds in memory.
    virtual bool hasRegistrationWindow() const { return false; }
    virtual void setRegistrationCheck(RegistrationCheck, bool) {}
    virtual bool registrationCheck(RegistrationCheck) const { return false; }
    // The text of txt_Lyrics.
    virtual QString lyricsBoxText() const { return {}; }
};

} // namespace yk
