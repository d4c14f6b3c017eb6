#pragma once

#include <optional>

#include <QSize>
#include <QString>

#include "core/SettingsHost.h"

namespace yk::movie {

// The movie window is sized in twips like every stored window, with a frame
// of 4 pixels on each side around the picture: 8 pixels, or 120 twips, each
// way. The stored sizes (movieSize) are those of the picture area, so a
// settings file moves between versions with the window the same size.
inline constexpr int kFramePixels = 8;
inline constexpr int kFrameTwips = 120;
inline constexpr int kFrameSide = kFramePixels / 2;

// How the picture is shown. The numbers are the stored and menu values.
enum class DisplaySize {
    Own = 0,         // the movie's own size
    Half = 1,        // half of it
    Double = 2,      // twice it
    FullScreen = 3,  // the whole screen
    FitToWindow = 4, // whatever size the user gave the window
};

// The window's outer size and the picture area inside it.
struct Layout
{
    QSize windowTwips;
    QSize playerPixels;
    friend bool operator==(const Layout&, const Layout&) = default;
};

// The picture area kept in movieSize ("M_Height=" + 10 digits + " M_Width="
// + 10 digits; the height digits are characters 10-19, the width digits
// 29-38), in pixels. nullopt for "DefoltSize", an empty text, or digits
// that do not make a positive size: the movie's own size is used then.
std::optional<QSize> storedPlayerSize(const QString& movieSize);
// The movieSize text for a picture area; a negative side is written as 0
// so that the digits keep their columns.
QString movieSizeText(QSize playerPixels);

// 15 twips a pixel, plus the frame.
QSize windowTwipsForPlayer(QSize playerPixels);
// The window's twips over 15, less the frame.
QSize playerForWindowTwips(QSize windowTwips);

// The layout of a newly shown movie: the size the user last gave the
// window, else the movie's own size.
Layout layoutFor(const QString& movieSize, QSize videoSize);
// The layout of a display size the user chose; nullopt for the full screen,
// which has none of its own.
std::optional<Layout> layoutForDisplaySize(DisplaySize size, QSize videoSize, const QString& movieSize);

// What closing (or resizing) the window keeps: its place for the windowPlaces
// record and movieTop / movieLeft, a negative coordinate kept as 0, and the
// picture area as movieSize.
struct Record
{
    TwipsPos position;
    QString mpTop;
    QString mpLeft;
    QString movieSize;
    friend bool operator==(const Record&, const Record&) = default;
};
Record recordFor(TwipsPos windowPosition, QSize windowTwips);

} // namespace yk::movie
