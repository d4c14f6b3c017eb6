#pragma once

#include <QImage>
#include <QStringList>

namespace yk {

class AppPaths;

// The skin the program ships with, drawn by our own code: the main and
// play-list windows' backgrounds and frames, the calendar marks and the
// three chimes. Users replace any of these files with their own.

// Colour of every transparent part of the default frames; the frames
// carry it at the key point, so the overlay finds it there.
inline constexpr QRgb kDefaultFrameKey = 0xFFFF00FF;

QImage defaultBackground();           // System/Back.jpg
QImage defaultFrame();                // System/Flame.bmp
QImage defaultPlayListBackground();   // System/Back2.jpg
QImage defaultPlayListFrame();        // System/Flame2.bmp
QImage defaultTodayMarker();          // System/Day.gif
QImage defaultMemoMarker();           // System/Day_Bar.gif
QImage defaultScheduleMark();         // System/Day_Bar2.gif

struct DefaultSkinResult
{
    QStringList written; // relative paths created now
    QStringList failed;  // relative paths that could not be written
    bool ok() const { return failed.isEmpty(); }
};

// Writes every default skin file that does not exist yet, each whole or
// not at all; files already present are left alone, whatever they hold.
// Creates System/ and wav/ when missing.
DefaultSkinResult writeDefaultSkin(const AppPaths& paths);

} // namespace yk
