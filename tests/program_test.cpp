#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

#include "platform/TextFile.h"
#include "support/TestUtil.h"

// Starts the real program, as a user would, in a fresh folder of its own.
namespace {

QString programPath()
{
    return qEnvironmentVariable("YK_BUILD_DIR") + QStringLiteral("/yomikaze");
}

} // namespace

TEST(Program, FirstStartInAnEmptyFolderThenASecondStartHandsItsFileOver)
{
    if (!QFile::exists(programPath()))
        GTEST_SKIP() << "program not built at " << programPath().toStdString();
    QTemporaryDir dir;
    const QString exe = dir.path() + QStringLiteral("/yomikaze");
    ASSERT_TRUE(QFile::copy(programPath(), exe));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(exe, {});
    ASSERT_TRUE(first.waitForStarted(5000));
    const QString ini = dir.path() + QStringLiteral("/System/viw.ini");
    ASSERT_TRUE(yk::test::spinUntil([&] { return QFile::exists(ini); }, 10000));
    for (const char* f : {"System", "wav", "img", "txt"})
        EXPECT_TRUE(QDir(dir.path() + u'/' + QString::fromLatin1(f)).exists()) << f;

    // A second copy in the same folder hands its file over and ends at once.
    const QString song = dir.path() + QStringLiteral("/曲 one.mp3");
    {
        QFile f(song);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // The first copy is held meanwhile, or its next tick could take the
    // file before it is read here.
    ::kill(pid_t(first.processId()), SIGSTOP);
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(exe, {song});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    const auto handed = yk::textfile::readLines(dir.path() + QStringLiteral("/lst.tmp"));
    ::kill(pid_t(first.processId()), SIGCONT);
    ASSERT_TRUE(handed.has_value());
    EXPECT_EQ(*handed, QStringList{u'"' + song + u'"'});
    EXPECT_EQ(first.state(), QProcess::Running);

    // A termination signal still saves the settings.
    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    const auto lines = yk::textfile::readLines(ini);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->size(), 51);
}
