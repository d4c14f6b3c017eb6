#pragma once

#include <atomic>

#include <QString>

namespace yk::lyricssearch {

// Where a track's lyrics file is looked for, in this order:
//  1. beside the track: its path less the last four characters, plus ".txt"
//     ("/m/song.mp3" -> "/m/song.txt"), or less a modern ending whole
//     ("/m/song.flac" -> "/m/song.txt");
//  2. under the lyrics folder, by the track's file name less its last three
//     characters plus "txt" (a modern ending goes whole, as above), when
//     that folder holds at least one file of its own (a folder of only
//     subfolders is not searched);
//  3. and 4. the same for an LRC file, named after the track less its
//     extension plus ".lrc" ("song.mpeg" -> "song.lrc").
// Lyrics kept in the track's own tags come after all four (EmbeddedLyrics.h).
//
// Names are matched without regard to case, as on the system the lyrics
// files come from: "Song.TXT" serves "song.mp3". Where names differ only in
// case, the exact spelling wins, else the first by name.
//
// The folder search looks in a folder, then, only while nothing is found
// yet, in each of its subfolders in turn, depth first. A folder that finds
// the file does not stop its siblings: each later sibling (and each later
// sibling of every folder above) is still looked in, without going below
// it, and a find there replaces the earlier one. Hidden entries (names
// starting with ".") are skipped; subfolders go in name order.
//
// Everything here touches the disk and may take long on a large tree: run
// it off the UI thread. `cancel`, when given, ends a walk early with no find.

QString besideCandidate(const QString& trackPath);
QString wantedName(const QString& trackPath);
// The LRC file's name, without a folder.
QString wantedLrcName(const QString& trackPath);

QString searchFolder(const QString& folder, const QString& wanted, bool subFolders,
                     const std::atomic_bool* cancel = nullptr);

// The whole lookup; empty when the track has no lyrics.
QString findLyricsFile(const QString& trackPath, const QString& lyricsFolder,
                       const std::atomic_bool* cancel = nullptr);

} // namespace yk::lyricssearch
