#include "media/PlayList.h"

namespace yk {

void PlayList::append(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    m_entries += paths;
    Q_EMIT changed();
}

void PlayList::clear()
{
    if (m_entries.isEmpty())
        return;
    m_entries.clear();
    Q_EMIT changed();
}

} // namespace yk
