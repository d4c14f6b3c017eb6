#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

#include "platform/AppPaths.h"
#include "platform/MediaModule.h"
#include "support/MediaFiles.h"
#include "support/TestUtil.h"

using yk::AppPaths;

namespace {

const QString kModuleDir = QStringLiteral(YK_INSTALL_MODULE_DIR);

QStringList iconSizes()
{
    return QStringLiteral(YK_ICON_SIZES).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

TEST(InstalledLayout, APortableFolderKeepsItsDataAndAnInstalledProgramUsesThePerUserFolder)
{
    QTemporaryDir dir;
    const QString user = dir.filePath(QStringLiteral("home/.local/share/Yomikaze"));

    // A plain writable folder: the portable layout.
    const QString portable = dir.filePath(QStringLiteral("portable"));
    ASSERT_TRUE(QDir().mkpath(portable));
    EXPECT_FALSE(yk::isInstalledProgram(portable));
    EXPECT_EQ(AppPaths::choose(portable, user).myPath(), portable + u'/');
    EXPECT_FALSE(QDir(user).exists()) << "a portable start made the per-user folder";

    // The same, writable (the tests run as root), with the module folder of
    // an installed tree beside it: an installed program.
    const QString bin = dir.filePath(QStringLiteral("prefix/bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("prefix/")) + kModuleDir));
    EXPECT_TRUE(yk::isInstalledProgram(bin));
    EXPECT_EQ(AppPaths::choose(bin, user).myPath(), user + u'/');
    EXPECT_TRUE(QDir(user).exists());

    // A folder that cannot be written to still falls back.
    const QString missing = dir.filePath(QStringLiteral("no/such/folder"));
    EXPECT_EQ(AppPaths::choose(missing, user).myPath(), user + u'/');
}

TEST(InstalledLayout, TheModuleIsLookedForBesideTheProgramThenInTheInstalledFolder)
{
    const QStringList folders = yk::mediaModuleFolders(QStringLiteral("/opt/yk/bin"));
    ASSERT_GE(folders.size(), 2);
    EXPECT_EQ(folders[0], QStringLiteral("/opt/yk/bin"));
    EXPECT_EQ(folders[1], QStringLiteral("/opt/yk/") + kModuleDir);
    EXPECT_EQ(yk::installedModuleFolder(QStringLiteral("/opt/yk/bin")), folders[1]);
}

// Installs the build into a fresh prefix and looks at what landed there.
class Install : public ::testing::Test
{
protected:
    void SetUp() override
    {
        build = qEnvironmentVariable("YK_BUILD_DIR");
        ASSERT_FALSE(build.isEmpty()) << "YK_BUILD_DIR is not set";
        ASSERT_TRUE(QFile::exists(build + QStringLiteral("/yomikaze"))) << "program not built";
        prefix = QDir(root.path()).canonicalPath() + QStringLiteral("/prefix");
        QProcess cmake;
        cmake.setProcessChannelMode(QProcess::MergedChannels);
        cmake.start(QStringLiteral(YK_CMAKE_COMMAND),
                    {QStringLiteral("--install"), build, QStringLiteral("--prefix"), prefix});
        ASSERT_TRUE(cmake.waitForFinished(120000));
        ASSERT_EQ(cmake.exitCode(), 0) << cmake.readAll().toStdString();
    }
    QString at(const QString& rel) const { return prefix + u'/' + rel; }

    QTemporaryDir root;
    QString build;
    QString prefix;
};

TEST_F(Install, TheTreeHoldsProgramModuleDesktopEntryAndIcons)
{
    const QFileInfo exe(at(QStringLiteral("bin/yomikaze")));
    EXPECT_TRUE(exe.isFile() && exe.isExecutable());
    EXPECT_TRUE(QFileInfo(at(kModuleDir + QStringLiteral("/libyomikaze_media.so"))).isFile());

    const QString entry = at(QStringLiteral("share/applications/yomikaze.desktop"));
    ASSERT_TRUE(QFile::exists(entry));
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty()) << "desktop-file-validate is not installed (scripts/setup installs it)";
    QProcess v;
    v.setProcessChannelMode(QProcess::MergedChannels);
    v.start(validator, {entry});
    ASSERT_TRUE(v.waitForFinished(10000));
    const QByteArray said = v.readAll();
    EXPECT_EQ(v.exitCode(), 0) << said.toStdString();
    EXPECT_FALSE(said.contains("error")) << said.toStdString();

    const QString text = QString::fromUtf8(yk::test::readBytes(entry));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=yomikaze %F\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nIcon=yomikaze\n")));
    for (const char* category : {"Utility", "Calendar", "Audio"}) {
        const QRegularExpression re(QStringLiteral("\nCategories=([^\n]*;)?%1;").arg(QString::fromLatin1(category)));
        EXPECT_TRUE(re.match(text).hasMatch()) << category;
    }

    for (const QString& side : iconSizes()) {
        const QString file = at(QStringLiteral("share/icons/hicolor/%1x%1/apps/yomikaze.png").arg(side));
        const QImage icon(file);
        ASSERT_FALSE(icon.isNull()) << file.toStdString();
        EXPECT_EQ(icon.size(), QSize(side.toInt(), side.toInt()));
        // Our own picture: transparent corners, an opaque page in the middle.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(icon.pixel(icon.width() / 2, icon.height() * 3 / 4)), 255);
    }
    EXPECT_EQ(iconSizes().size(), 7);
}

TEST_F(Install, TheInstalledProgramKeepsItsDataPerUserAndLoadsItsInstalledModule)
{
    const QString home = root.filePath(QStringLiteral("home"));
    const QString data = root.filePath(QStringLiteral("data"));
    const QString mine = data + QStringLiteral("/Yomikaze");
    // An opening sound makes the program load its media module at once.
    ASSERT_TRUE(QDir().mkpath(mine + QStringLiteral("/wav")));
    yk::test::writeWave(mine + QStringLiteral("/wav/Opening.wav"), 3000);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // HOME stays: a fresh one would make the media framework rebuild its
    // plugin cache, which keeps the program busy for many seconds.
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(root.path());
    program.start(at(QStringLiteral("bin/yomikaze")), {});
    ASSERT_TRUE(program.waitForStarted(5000));

    const QString ini = mine + QStringLiteral("/System/viw.ini");
    EXPECT_TRUE(yk::test::spinUntil([&] { return QFile::exists(ini); }, 15000)) << "no settings in " << mine.toStdString();
    const QString maps = QStringLiteral("/proc/%1/maps").arg(program.processId());
    const QByteArray module = QFile::encodeName(at(kModuleDir + QStringLiteral("/libyomikaze_media.so")));
    EXPECT_TRUE(yk::test::spinUntil([&] { return yk::test::readBytes(maps).contains(module); }, 15000))
        << "the installed module was not loaded from " << module.toStdString();

    ::kill(pid_t(program.processId()), SIGTERM);
    EXPECT_TRUE(program.waitForFinished(30000));
    // Nothing of the user's landed in the program's folder, though root
    // could have written there.
    EXPECT_EQ(QDir(at(QStringLiteral("bin"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("yomikaze")});
    for (const char* folder : {"System", "wav", "img", "txt"})
        EXPECT_TRUE(QDir(mine + u'/' + QString::fromLatin1(folder)).exists()) << folder;
}
