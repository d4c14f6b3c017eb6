#include "media/PlayList.h"

#include <QHash>

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

void PlayList::assign(const QStringList& paths)
{
    if (paths == m_entries)
        return;
    m_entries = paths;
    Q_EMIT changed();
}

void PlayList::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    m_entries.removeAt(index);
    Q_EMIT changed();
}

void PlayList::swap(int a, int b)
{
    if (a == b || a < 0 || b < 0 || a >= count() || b >= count())
        return;
    m_entries.swapItemsAt(a, b);
    Q_EMIT changed();
}

int PlayList::removeDuplicates(int& currentIndex)
{
    // Path text -> index of its first copy in the kept list.
    QHash<QString, int> firstCopy;
    firstCopy.reserve(m_entries.size());
    QStringList kept;
    kept.reserve(m_entries.size());
    int removedBefore = 0;
    int currentCopy = -1; // where the current entry went when it was a later copy
    for (int i = 0; i < count(); ++i) {
        const QString& path = m_entries.at(i);
        const auto found = firstCopy.constFind(path);
        if (found == firstCopy.cend()) {
            firstCopy.insert(path, int(kept.size()));
            kept.append(path);
        } else if (i < currentIndex) {
            ++removedBefore;
        } else if (i == currentIndex) {
            currentCopy = found.value();
        }
    }
    const int removed = count() - int(kept.size());
    if (removed == 0)
        return 0;
    currentIndex = currentCopy >= 0 ? currentCopy : currentIndex - removedBefore;
    m_entries = std::move(kept);
    Q_EMIT changed();
    return removed;
}

} // namespace yk
