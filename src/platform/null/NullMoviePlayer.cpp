#include "platform/null/NullMoviePlayer.h"

#include <QMetaObject>

namespace yk {

bool NullMoviePlayer::open(const QString& path)
{
    m_file = path;
    // Queued, so a caller that connects after open() still hears it.
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT error(QStringLiteral("no movie player on this system")); },
        Qt::QueuedConnection);
    return false;
}

} // namespace yk
