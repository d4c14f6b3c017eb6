#pragma once

#include "platform/AppPaths.h"

#include <QString>

#include <array>
#include <functional>

namespace yk {

// backgroundSlots 1..12, slot n at index n - 1: full path of its picture, empty
// when nothing is registered.
using BackSlotList = std::array<QString, 12>;

// Builds the list from any one-based accessor, e.g.
// backSlotList([&](int k) { return settings.backSlot(k); }).
template <typename SlotAt>
BackSlotList backSlotList(SlotAt&& slotAt)
{
    BackSlotList list;
    for (int k = 1; k <= 12; ++k)
        list[size_t(k - 1)] = slotAt(k);
    return list;
}

// The fifteen check marks of the background menu: №1..№12, then monthly,
// random and in-turn. None leaves the marks as they are.
enum class BackMenuItem {
    None = 0,
    No1 = 1, // No1 + (n - 1) is slot n
    No12 = 12,
    Mon = 13,
    Ran = 14,
    Loop = 15,
};

inline BackMenuItem backMenuItemForSlot(int slot)
{
    return BackMenuItem(slot);
}

// What an operation asks the main window to do with its background.
struct BackgroundChange
{
    enum class Picture {
        Keep,  // leave the picture as it is
        Clear, // no background picture (a bare surface)
        Show,  // show `path`
    };
    Picture picture = Picture::Keep;
    QString path;
    QString mode;                           // backgroundMode afterwards
    BackMenuItem check = BackMenuItem::None; // clear all fifteen, then check this
    bool drawFrame = false;                 // f_Pct afterwards

    bool operator==(const BackgroundChange&) const = default;
};

// The rules for choosing the main window's background among the twelve
// slots. Holds no state of its own: callers pass backgroundSlots and backgroundMode
// and store the returned mode.
//
// A slot naming a file that has gone missing never blanks the window: the
// picture on show stays (the in-turn mode and the start-up fall back to
// System/Back.jpg, since they have nothing on show yet).
class BackgroundSlots
{
public:
    // Returns a value in [0, 1); the default draws from the system.
    using RandomSource = std::function<double()>;

    explicit BackgroundSlots(AppPaths paths, RandomSource random = {});

    QString fallbackPath() const;  // System/Back.jpg
    QString framePath() const;     // System/Flame.bmp
    QString playBackPath() const;  // System/Back2.jpg
    QString playFramePath() const; // System/Flame2.bmp

    // A slot can be shown when its path is neither empty nor a lone blank
    // and the file exists.
    static bool usable(const QString& path);
    static QString slotPath(const BackSlotList& slots, int slot); // empty when out of 1..12

    // slotChange: "№n" of the menu. Shows slot n (Back.jpg or nothing when
    // it is empty) and makes n the mode.
    BackgroundChange slotChange(const BackSlotList& slots, int slot) const;

    // "月毎変更(&M)", Left/Right keys and keys typed in monthly mode: shows
    // the slot of the month on display and makes "M" the mode.
    BackgroundChange monthlyRefresh(const BackSlotList& slots, int shownMonth) const;

    // "ランダム(&R)": only the mode changes; the draw happens at start-up.
    static QString randomMode(const QString& mode);
    // "起動時毎変更(&L)": the mode becomes in-turn from the current slot.
    static QString inTurnMode(const QString& mode);

    // modeChange: the check marks for the mode and, in the in-turn mode, the
    // slot of this run. `firstDrawOfRun` is true while Lbl_Cou is still
    // empty; only then does the in-turn slot advance.
    BackgroundChange modeChange(const BackSlotList& slots, const QString& mode,
                             bool firstDrawOfRun) const;

    // The start-up's choice, after the first month has been drawn (so an
    // in-turn mode has already advanced). Shows the mode's slot when it is
    // usable, else System/Back.jpg when it exists, else nothing.
    BackgroundChange startup(const BackSlotList& slots, const QString& mode, int shownMonth) const;

    // Right button on thumbnail `slot` of the background window.
    BackgroundChange thumbnailShow(const BackSlotList& slots, int slot) const;

    // Registration from the picker: stores `path` in `slot` when it names
    // an existing file. In monthly mode the month's slot is shown again,
    // so a picture registered for this month appears at once.
    struct Registration
    {
        bool registered = false;
        BackgroundChange background; // Keep unless monthly mode
    };
    Registration registerPicture(BackSlotList& slots, int slot, const QString& path,
                                 const QString& mode, int shownMonth) const;

    // The file picker while it registers `slot`: its caption, and the
    // folder it starts in (img/, or the application folder without it).
    static QString registrationCaption(int slot);
    QString registrationFolder() const;

private:
    BackgroundChange showOrFallback(const QString& path, const QString& mode,
                                    bool clearWhenNothing) const;
    QString fallbackIfExists() const;

    AppPaths m_paths;
    RandomSource m_random;
};

} // namespace yk
