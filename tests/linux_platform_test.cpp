#include "platform/InstanceLock.h"
#include "platform/MediaModule.h"
#include "platform/ShellAdapter.h"
#include "platform/TerminationWatcher.h"
#include "platform/UserEnvironment.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

using namespace yk;
using yk::test::readBytes;
using yk::test::spinUntil;

namespace {

// A program that reports what it was given: its environment, its open
// descriptors and its arguments, each into a file beside it.
QString writeReporter(const QString& folder)
{
    const QString script = folder + QStringLiteral("/report.sh");
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    const QByteArray dir = QFile::encodeName(folder);
    f.write("#!/bin/sh\n"
            "env > '" + dir + "/env.tmp'\n"
            "ls -l /proc/self/fd > '" + dir + "/fds.txt'\n"
            "printf '%s' \"$*\" > '" + dir + "/args.txt'\n"
            "mv '" + dir + "/env.tmp' '" + dir + "/env.txt'\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    return script;
}

// The program as it runs: the user's environment remembered first, then
// our own changes; the termination line and the instance lock open.
class StartedPrograms : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qunsetenv("VK_DRIVER_FILES");
        qunsetenv("VK_ICD_FILENAMES");
        qunsetenv("QT_MEDIA_BACKEND");
        qputenv("YK_TEST_USER_VALUE", "kept");
        rememberUserEnvironment();
        prepareMediaEnvironment();
        qputenv("YK_TEST_OURS_ONLY", "1");
        ASSERT_TRUE(qEnvironmentVariableIsSet("VK_DRIVER_FILES")) << "the media set-up should set it for us";
        ASSERT_TRUE(lock.tryAcquire());
        reporter = writeReporter(dir.path());
        ASSERT_FALSE(reporter.isEmpty());
    }
    void TearDown() override
    {
        qunsetenv("YK_TEST_OURS_ONLY");
        qunsetenv("YK_TEST_USER_VALUE");
    }

    QByteArray waitForReport()
    {
        const QString envFile = dir.path() + QStringLiteral("/env.txt");
        EXPECT_TRUE(spinUntil([&] { return QFile::exists(envFile); }, 10000));
        return readBytes(envFile);
    }
    QByteArray fds() { return readBytes(dir.path() + QStringLiteral("/fds.txt")); }

    void expectUserEnvironmentOnly(const QByteArray& env)
    {
        EXPECT_TRUE(env.split('\n').contains("YK_TEST_USER_VALUE=kept")) << env.constData();
        EXPECT_FALSE(env.contains("VK_DRIVER_FILES=")) << env.constData();
        EXPECT_FALSE(env.contains("QT_MEDIA_BACKEND=")) << env.constData();
        EXPECT_FALSE(env.contains("YK_TEST_OURS_ONLY=")) << env.constData();
    }
    void expectNoneOfOurDescriptors()
    {
        const QByteArray list = fds();
        ASSERT_FALSE(list.isEmpty());
        EXPECT_FALSE(list.contains("socket:")) << list.constData();
        EXPECT_FALSE(list.contains(".yomikaze.lock")) << list.constData();
    }

    QTemporaryDir dir;
    TerminationWatcher watcher;
    InstanceLock lock{dir.path() + u'/'};
    QString reporter;
};

} // namespace

TEST_F(StartedPrograms, AProgramGetsTheUsersEnvironmentAndNoneOfOurDescriptors)
{
    DesktopShell shell;
    ASSERT_TRUE(shell.startProgram(reporter));
    expectUserEnvironmentOnly(waitForReport());
    expectNoneOfOurDescriptors();
    EXPECT_EQ(readBytes(dir.path() + QStringLiteral("/args.txt")), QByteArray()) << "a program starts bare";
}

TEST_F(StartedPrograms, ADocumentGoesToTheOpenerWithTheUsersEnvironment)
{
    DesktopShell shell(reporter);
    const QString document = dir.path() + QStringLiteral("/読み風 memo.txt");
    ASSERT_TRUE(shell.openDocument(document));
    expectUserEnvironmentOnly(waitForReport());
    expectNoneOfOurDescriptors();
    EXPECT_EQ(QString::fromUtf8(readBytes(dir.path() + QStringLiteral("/args.txt"))), document);
}

TEST_F(StartedPrograms, AnAddressIsPassedToTheOpenerUnchanged)
{
    DesktopShell shell(reporter);
    ASSERT_TRUE(shell.openDocument(QStringLiteral("https://example.invalid/a?b=c")));
    waitForReport();
    EXPECT_EQ(readBytes(dir.path() + QStringLiteral("/args.txt")), QByteArray("https://example.invalid/a?b=c"));
}

TEST_F(StartedPrograms, AFileThatIsNotAProgramIsOpenedAsADocument)
{
    const QString text = dir.path() + QStringLiteral("/notes.txt");
    yk::test::writeBytes(text, "x");
    DesktopShell shell(reporter);
    ASSERT_TRUE(shell.startProgram(text));
    waitForReport();
    EXPECT_EQ(QString::fromUtf8(readBytes(dir.path() + QStringLiteral("/args.txt"))), text);
}

TEST(UserEnvironment, LaterChangesToOurOwnEnvironmentAreNotInTheSnapshot)
{
    qputenv("YK_TEST_BEFORE", "a");
    rememberUserEnvironment();
    qputenv("YK_TEST_BEFORE", "b");
    qputenv("YK_TEST_AFTER", "c");
    const QProcessEnvironment env = userEnvironment();
    EXPECT_EQ(env.value(QStringLiteral("YK_TEST_BEFORE")), QStringLiteral("a"));
    EXPECT_FALSE(env.contains(QStringLiteral("YK_TEST_AFTER")));
    qunsetenv("YK_TEST_BEFORE");
    qunsetenv("YK_TEST_AFTER");
}

TEST(TerminationWatcher, EachTerminationSignalBecomesARequestOnTheEventLoop)
{
    TerminationWatcher watcher;
    QSignalSpy spy(&watcher, &TerminationWatcher::terminationRequested);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        const qsizetype before = spy.count();
        ASSERT_EQ(std::raise(sig), 0);
        EXPECT_TRUE(spinUntil([&] { return spy.count() > before; })) << "signal " << sig;
    }
}

TEST(TerminationWatcher, ABurstOfSignalsNeverBlocksTheHandler)
{
    TerminationWatcher watcher;
    QSignalSpy spy(&watcher, &TerminationWatcher::terminationRequested);
    // Far more than a socket buffer holds; a blocking write would hang here.
    for (int i = 0; i < 20000; ++i)
        std::raise(SIGHUP);
    EXPECT_TRUE(spinUntil([&] { return spy.count() > 0; }));
}
