#pragma once

#include <functional>

#include <QHash>
#include <QList>

namespace yk {

// Names (menu items) or keys mapped to what they do, so one table says what
// every item does and a test can walk it.
template <typename Key>
class CommandTable
{
public:
    using Handler = std::function<void()>;

    void add(const Key& key, Handler handler)
    {
        if (!m_handlers.contains(key))
            m_order.append(key);
        m_handlers.insert(key, std::move(handler));
    }
    bool contains(const Key& key) const { return m_handlers.contains(key); }
    // Runs the command; false when the table has none for `key`.
    bool run(const Key& key) const
    {
        const auto it = m_handlers.constFind(key);
        if (it == m_handlers.constEnd())
            return false;
        (*it)();
        return true;
    }
    QList<Key> keys() const { return m_order; }

private:
    QHash<Key, Handler> m_handlers;
    QList<Key> m_order;
};

} // namespace yk
