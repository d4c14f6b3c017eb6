#include "platform/AppPaths.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using yk::AppPaths;

TEST(AppPaths, FolderAlwaysEndsInOneSeparatorAndPathsAppend)
{
    EXPECT_EQ(AppPaths(QStringLiteral("/tmp/yk")).myPath(), QStringLiteral("/tmp/yk/"));
    EXPECT_EQ(AppPaths(QStringLiteral("/tmp/yk/")).myPath(), QStringLiteral("/tmp/yk/"));
    const AppPaths p(QStringLiteral("/data"));
    EXPECT_EQ(p.settingsFile(), QStringLiteral("/data/System/viw.ini"));
    EXPECT_EQ(p.handOverFile(), QStringLiteral("/data/lst.tmp"));
    EXPECT_EQ(p.file(u"txt/20261208.txt"), QStringLiteral("/data/txt/20261208.txt"));
}
