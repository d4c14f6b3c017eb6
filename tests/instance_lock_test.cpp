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
    // QLockFile is per process; a second object in this process stands in for a second start.
    InstanceLock other(b.path() + u'/');
    EXPECT_TRUE(other.tryAcquire());
}

TEST(InstanceLock, ALockLeftByACrashedCopyIsTakenOver)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    {
        QFile stale(folder + QStringLiteral(".yomikaze.lock"));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        // pid, application name, host name: a process id that cannot be running.
        stale.write("999999999\nyomikaze\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    InstanceLock lock(folder);
    EXPECT_TRUE(lock.tryAcquire());
}
