#include "shell/CommandLine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/InstanceLock.h"
#include "platform/TextFile.h"

using yk::CommandLine;
using yk::parseCommandLine;

namespace {

QStringList strings(std::initializer_list<const char16_t*> items)
{
    QStringList out;
    for (const char16_t* s : items)
        out << QString::fromUtf16(s);
    return out;
}

} // namespace

TEST(CommandLine, EveryPlainArgumentIsOnePathInOrder)
{
    const QStringList args = strings({u"曲 one.mp3", u"/music/フォルダ", u"a-b.wav", u"x-"});
    const CommandLine cl = parseCommandLine(args);
    EXPECT_EQ(cl.action, CommandLine::Action::Run);
    EXPECT_EQ(cl.paths, args);
    EXPECT_TRUE(cl.unknownOptions.isEmpty());
    EXPECT_EQ(parseCommandLine({}).action, CommandLine::Action::Run);
    EXPECT_TRUE(parseCommandLine({}).paths.isEmpty());
}

TEST(CommandLine, HelpAndVersionInLongAndShortFormTheFirstOneWins)
{
    for (const char16_t* h : {u"--help", u"-h"}) {
        const CommandLine cl = parseCommandLine(strings({u"song.mp3", h}));
        EXPECT_EQ(cl.action, CommandLine::Action::Help) << QString::fromUtf16(h).toStdString();
    }
    for (const char16_t* v : {u"--version", u"-v"})
        EXPECT_EQ(parseCommandLine(strings({v})).action, CommandLine::Action::Version);
    EXPECT_EQ(parseCommandLine(strings({u"--version", u"--help"})).action, CommandLine::Action::Version);
    EXPECT_EQ(parseCommandLine(strings({u"-h", u"--version"})).action, CommandLine::Action::Help);
}

TEST(CommandLine, AnOptionThatIsNotOursIsReportedAndNeverBecomesAPath)
{
    const CommandLine cl = parseCommandLine(strings({u"-x", u"one.mp3", u"--bogus", u"-", u"--help=1", u"two.mp3"}));
    EXPECT_EQ(cl.action, CommandLine::Action::Run);
    EXPECT_EQ(cl.paths, strings({u"one.mp3", u"two.mp3"}));
    EXPECT_EQ(cl.unknownOptions, strings({u"-x", u"--bogus", u"-", u"--help=1"}));
}

TEST(CommandLine, DoubleDashEndsTheOptionsEverythingAfterIsAPath)
{
    const CommandLine cl = parseCommandLine(strings({u"-q", u"--", u"-x.mp3", u"--help", u"--", u"-"}));
    EXPECT_EQ(cl.action, CommandLine::Action::Run);
    EXPECT_EQ(cl.paths, strings({u"-x.mp3", u"--help", u"--", u"-"}));
    EXPECT_EQ(cl.unknownOptions, strings({u"-q"}));
}

TEST(CommandLine, TextsNameTheOptionsTheVersionAndTheMistake)
{
    EXPECT_EQ(yk::versionText(), QStringLiteral("Yomikaze 1.35\n"));
    const QString usage = yk::usageText();
    for (const char* o : {"--help", "--version", "--"})
        EXPECT_TRUE(usage.contains(QString::fromLatin1(o))) << o;
    EXPECT_TRUE(usage.endsWith(u'\n'));
    const QString mistake = yk::unknownOptionText(QStringLiteral("--frobnicate"));
    EXPECT_TRUE(mistake.contains(QStringLiteral("--frobnicate")));
    EXPECT_TRUE(mistake.endsWith(u'\n'));
}

// The real program, started while another copy owns its folder (this test
// holds the lock, as a running copy would).
class ProgramCommandLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString built = qEnvironmentVariable("YK_BUILD_DIR") + QStringLiteral("/yomikaze");
        if (!QFile::exists(built))
            GTEST_SKIP() << "program not built at " << built.toStdString();
        ASSERT_TRUE(dir.isValid());
        exe = dir.filePath(QStringLiteral("yomikaze"));
        ASSERT_TRUE(QFile::copy(built, exe));
        lock = std::make_unique<yk::InstanceLock>(dir.path() + u'/');
        ASSERT_TRUE(lock->tryAcquire());
    }

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    // Runs the program in the test folder; `withDisplay` false takes every
    // way to a display away from it.
    Run run(const QStringList& args, bool withDisplay = true)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (withDisplay) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                env.remove(QString::fromLatin1(v));
        }
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(exe, args);
        EXPECT_TRUE(p.waitForFinished(10000));
        Run r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }
    QString handOver() const { return dir.filePath(QStringLiteral("lst.tmp")); }

    QTemporaryDir dir;
    QString exe;
    std::unique_ptr<yk::InstanceLock> lock;
};

TEST_F(ProgramCommandLine, VersionAndHelpPrintAndEndWithoutHandingAnythingOver)
{
    QFile song(dir.filePath(QStringLiteral("song.mp3")));
    ASSERT_TRUE(song.open(QIODevice::WriteOnly));
    song.close();

    const Run version = run({QStringLiteral("--version"), song.fileName()});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("Yomikaze 1.35\n"));
    EXPECT_FALSE(QFile::exists(handOver())) << "a path next to --version reached the running copy";

    // No display at all: the answer comes before the program needs one.
    const Run help = run({QStringLiteral("--help")}, false);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--version"))) << help.out.toStdString();
    EXPECT_FALSE(QFile::exists(handOver()));
    // Nothing of the program's own data appeared either.
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("System"))).exists());
}

TEST_F(ProgramCommandLine, AnUnknownOptionGoesToStandardErrorAndTheRestIsHandedOver)
{
    const QString dashed = dir.filePath(QStringLiteral("-dashed.mp3"));
    const QString plain = dir.filePath(QStringLiteral("plain.mp3"));
    for (const QString& f : {dashed, plain}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // Relative names: the program makes them absolute against its own
    // working folder before handing them over.
    const Run r = run({QStringLiteral("--bogus"), QStringLiteral("plain.mp3"), QStringLiteral("--"),
                       QStringLiteral("-dashed.mp3")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--bogus"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    const auto lines = yk::textfile::readLines(handOver());
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, (QStringList{u'"' + plain + u'"', u'"' + dashed + u'"'}));
}
