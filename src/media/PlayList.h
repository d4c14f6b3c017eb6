#pragma once

#include <QObject>
#include <QStringList>

namespace yk {

// The play list (`lst_Files`): full paths in play order, indexed from 0.
// Every change that alters the entries emits changed() once.
class PlayList : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    const QStringList& entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    QString at(int index) const { return m_entries.value(index); }

    void append(const QStringList& paths);
    void clear();
    // Replaces the whole list.
    void assign(const QStringList& paths);
    // Out-of-range indices change nothing.
    void removeAt(int index);
    void swap(int a, int b);

    // Keeps the first entry of every path text (compared exactly, case and
    // separators included) and the order of the rest. `currentIndex` drops
    // by one for each removal in front of it; when the current entry itself
    // goes, it follows to the copy that stays, which plays the same file.
    // Returns the number of entries removed. Linear in the entry count.
    int removeDuplicates(int& currentIndex);

Q_SIGNALS:
    void changed();

private:
    QStringList m_entries;
};

} // namespace yk
