#pragma once

#include <QString>

namespace yk {

// The player's shared flags. None of it is saved; all of it starts cleared.
struct PlayerState
{
    QString Cur_File;
    int Cur_Index = 0;
    int List_Top = 0;
    bool List_Play = false;
    bool Loop_On = false;
    bool Random_On = false;
    bool Opening_Play = false;
    bool Track_End = false;
    bool Play_Start = false;
    bool List_Changed = false;
    bool List_Top_Fixed = false;
    bool Title_Refresh = false;
    bool Seek_Drag = false;
    bool Lyrics_On = false;
    QString Lyrics_File;
    QString Id3_Title;

    void clear() { *this = PlayerState(); }
};

// "5.song" for index 4 and C:/m/song.mp3: the entry number, a dot and the
// file name less its last four characters (the extension, usually).
QString entryDisplayName(int index, const QString& path, const QString& id3Title = {});

} // namespace yk
