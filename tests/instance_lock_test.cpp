#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/InstanceLock.h"

using yk::InstanceLock;

TEST(InstanceLock, OneCopyPerFolder)
{
    QTemporaryDir a;
    QTemporaryDir b;
    InstanceLock first(a.path() + u'/');
    ASSERT_TRUE(first.tryAcquire());
    InstanceLock second(a.path() + u'/');
    EXPECT_FALSE(second.tryAcquire());
    // A second object in this process stands in for a second start.
    InstanceLock other(b.path() + u'/');
    EXPECT_TRUE(other.tryAcquire());
}

TEST(InstanceLock, ALockLeftByACrashedCopyIsTakenOver)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    {
        // What a copy that crashed leaves behind: the file, with any content.
        QFile stale(folder + QStringLiteral(".yomikaze.lock"));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("999999999\nyomikaze\n");
    }
    InstanceLock lock(folder);
    EXPECT_TRUE(lock.tryAcquire());
}

TEST(InstanceLock, TheLockGoesWithItsOwner)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    {
        InstanceLock first(folder);
        ASSERT_TRUE(first.tryAcquire());
    }
    InstanceLock next(folder);
    EXPECT_TRUE(next.tryAcquire());
}
