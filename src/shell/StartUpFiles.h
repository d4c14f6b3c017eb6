#pragma once

#include <optional>

#include <QPixmap>
#include <QString>

#include "platform/AppPaths.h"

namespace yk {

// The files the start-up reads or makes, apart from the settings.

// Makes System/, wav/ and img/ when missing. The first start (no System/
// yet) also writes our own skin, sounds and help files. True on a first start.
bool makeDataFolders(const AppPaths& paths);

// The greeting for the mascot. A start without txt/ makes it and says how
// to begin instead.
QString greetingScript(const AppPaths& paths);

// The skin's day marks (System/Day.gif, Day_Bar.gif, Day_Bar2.gif); a
// missing file gives a null picture.
struct SkinMarks
{
    QPixmap today;
    QPixmap noteBar;
    QPixmap scheduleBar;
};
SkinMarks loadSkinMarks(const AppPaths& paths);

// wav/Opening.wav, else wav/Opening.mp3, with the device type to play it.
struct OpeningSound
{
    QString deviceType;
    QString file;
};
std::optional<OpeningSound> findOpeningSound(const AppPaths& paths);

} // namespace yk
