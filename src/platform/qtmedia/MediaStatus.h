#pragma once

#include <QMediaPlayer>

namespace yk {

// The file is open and its length and tracks are known: every status from
// "loaded" on, including a file played to its end.
inline bool mediaIsLoaded(QMediaPlayer::MediaStatus status)
{
    switch (status) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
    case QMediaPlayer::StalledMedia:
    case QMediaPlayer::EndOfMedia:
        return true;
    default:
        return false;
    }
}

} // namespace yk
