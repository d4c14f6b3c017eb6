#pragma once

#include <functional>

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <gtest/gtest.h>

namespace yk::test {

// Runs the event loop until `pred` holds or `ms` have passed, polling every
// millisecond (QTest::qWait sleeps in larger rounds, which would hide how
// quickly the code under test itself works).
// A window's control by its object name; a missing one fails the test.
template <typename T>
T* child(const QObject* window, const char* name)
{
    T* found = window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline bool spinUntil(const std::function<bool()>& pred, int ms = 3000)
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (pred() || clock.elapsed() >= ms)
            loop.quit();
    });
    poll.start(1);
    if (!pred())
        loop.exec();
    return pred();
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

} // namespace yk::test
