#pragma once

#include <QString>

namespace yk {

// "5.song" for index 4 and C:/m/song.mp3: the entry number, a dot and the
// file name less its extension (withoutMediaSuffix: "song.flac" is "song").
QString entryDisplayName(int index, const QString& path, const QString& id3Title = {});

} // namespace yk
