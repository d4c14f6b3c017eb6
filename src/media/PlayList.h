#pragma once

#include <QObject>
#include <QStringList>

namespace yk {

// The play list (`lst_Files`): full paths in play order, indexed from 0.
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

Q_SIGNALS:
    void changed();

private:
    QStringList m_entries;
};

} // namespace yk
