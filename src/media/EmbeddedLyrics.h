#pragma once

#include <QString>

namespace yk {

// The lyrics a music file keeps in its own tags, as text:
//  - ID3v2 (MP3; FLAC, WAV and AIFF files that carry one): synchronised
//    lyrics (SYLT) as LRC lines, else the unsynchronised ones (USLT);
//  - else whatever TagLib reads as LYRICS, else as UNSYNCEDLYRICS: the
//    Vorbis comments of those names (FLAC, Ogg Vorbis, Opus), the MP4 ©lyr
//    atom, ASF and APE lyrics.
// Unsynchronised lyrics come as written, LRC stamps and all. Empty when the
// file has none or cannot be read. Touches the disk: call it off the UI
// thread.
QString readEmbeddedLyrics(const QString& path);

} // namespace yk
