#pragma once

// What the player's source files share; not for other users.

#include <QFileInfo>
#include <QString>

namespace yk::player_detail {

inline const QString kPlay = QStringLiteral("Play");
inline const QString kPause = QStringLiteral("Pause");
inline const QString kClose = QStringLiteral("Close");
inline const QString kOpen = QStringLiteral("Open");
inline const QString kReadError = QStringLiteral("Read Error");
inline const QString kFastTicksName = QStringLiteral("player");

// Hidden files count as present, as the list may hold them.
inline bool fileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

} // namespace yk::player_detail
