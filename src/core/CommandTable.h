#pragma once

#include <functional>

#include <QHash>
#include <QList>
#include <QtGlobal>

namespace yk {

// Names (menu items) or keys mapped to what they do, so one table says what
// every item does and a test can walk it.
//
// A key has one command. A subsystem that must see a key before its owner
// (the movie window takes Space while a movie is shown) says so with an
// interceptor, which may take the key or pass it on.
template <typename Key> class CommandTable
{
public:
    using Handler = std::function<void()>;
    // True when it took the key; false passes it on.
    using Interceptor = std::function<bool()>;

    // Adds the command of `key`; a key that already has one is refused
    // (false), so no subsystem silently replaces another's command.
    bool add(const Key& key, Handler handler)
    {
        if (m_handlers.contains(key)) {
            qWarning("a second command for one key was refused");
            return false;
        }
        m_order.append(key);
        m_handlers.insert(key, std::move(handler));
        return true;
    }
    // Runs `first` before the command of `key` (interceptors in the order
    // they were added); the key keeps its command for when all pass it on.
    void intercept(const Key& key, Interceptor first) { m_interceptors[key].append(std::move(first)); }

    bool contains(const Key& key) const { return m_handlers.contains(key); }
    // Runs the command; false when the table has none for `key`.
    bool run(const Key& key) const
    {
        const auto it = m_handlers.constFind(key);
        if (it == m_handlers.constEnd())
            return false;
        for (const Interceptor& first : m_interceptors.value(key)) {
            if (first())
                return true;
        }
        (*it)();
        return true;
    }
    QList<Key> keys() const { return m_order; }
    // The keys something runs before, for a test that walks the table.
    QList<Key> interceptedKeys() const { return m_interceptors.keys(); }

private:
    QHash<Key, Handler> m_handlers;
    QHash<Key, QList<Interceptor>> m_interceptors;
    QList<Key> m_order;
};

} // namespace yk
