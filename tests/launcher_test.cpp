#include "launcher/FilePicker.h"
#include "launcher/Launcher.h"
#include "platform/AppPaths.h"
#include "platform/ShellAdapter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/Fakes.h"

#include <array>

using namespace yk;

namespace {

class FakeShell final : public ShellAdapter
{
public:
    bool openDocument(const QString& path) override
    {
        opened << path;
        return true;
    }
    bool startProgram(const QString& path) override
    {
        started << path;
        return false; // the answer must not matter
    }
    QStringList opened;
    QStringList started;
};


class LauncherFiles : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString make(const QString& relative)
    {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return path;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(LauncherFiles, MenuShowsExistingProgramsInEntryOrderAboveOneSeparator)
{
    std::array<QString, 26> reg;
    EXPECT_FALSE(launcherMenu(reg).separatorVisible);
    for (const LauncherMenuItem& item : launcherMenu(reg).items)
        EXPECT_FALSE(item.visible);

    reg[1] = make(QStringLiteral("memo.exe"));
    reg[4] = make(QStringLiteral("bin/runexe"));
    reg[6] = dir.filePath(QStringLiteral("gone.exe")); // never existed
    reg[7] = dir.path();                                // a folder, not a program
    reg[12] = make(QStringLiteral("sound.wav"));         // a timer sound, not a launcher entry
    const LauncherMenu menu = launcherMenu(reg);
    EXPECT_TRUE(menu.separatorVisible);
    for (int i = 0; i < kLauncherEntries; ++i)
        EXPECT_EQ(menu.items[size_t(i)].visible, i == 1 || i == 4) << i;
    EXPECT_EQ(menu.items[1].caption, QStringLiteral("memo"));
    EXPECT_EQ(menu.items[4].caption, QStringLiteral("ru"));

    // Deleted afterwards: gone at the next refresh, and its item does nothing.
    QFile::remove(reg[1]);
    EXPECT_FALSE(launcherMenu(reg).items[1].visible);
    FakeShell shell;
    EXPECT_FALSE(startLauncherEntry(shell, reg, 1));
    EXPECT_TRUE(shell.started.isEmpty());
}

TEST_F(LauncherFiles, CaptionsAndExistenceRules)
{
    EXPECT_EQ(launcherCaption(QStringLiteral("/x/tool.EXE")), QStringLiteral("tool"));
    EXPECT_EQ(launcherCaption(QStringLiteral("/x/my.app.exe")), QStringLiteral("my.app"));
    // Nothing would remain of a short name, so it is shown whole.
    EXPECT_EQ(launcherCaption(QStringLiteral("/x/a.sh")), QStringLiteral("a.sh"));
    EXPECT_EQ(launcherCaption(QStringLiteral("/x/ab")), QStringLiteral("ab"));

    const QString hidden = make(QStringLiteral(".hidden.exe"));
    EXPECT_TRUE(namesExistingFile(hidden));
    EXPECT_FALSE(namesExistingFile(QString()));
    EXPECT_FALSE(namesExistingFile(dir.path()));
    // A relative name is not a registration, whatever the working folder is.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    EXPECT_FALSE(namesExistingFile(QStringLiteral(".hidden.exe")));
    QDir::setCurrent(previous);

    // A short list counts as empty beyond its end.
    const std::array<QString, 2> shortList{QString(), hidden};
    EXPECT_TRUE(launcherMenu(shortList).items[1].visible);
    EXPECT_FALSE(launcherMenu(shortList).items[2].visible);
}

TEST_F(LauncherFiles, StartingAnEntryPassesThePathUnchanged)
{
    std::array<QString, 26> reg;
    reg[0] = make(QStringLiteral("dir with space/tool.exe"));
    reg[9] = make(QStringLiteral("last.exe"));
    FakeShell shell;
    EXPECT_TRUE(startLauncherEntry(shell, reg, 0));
    EXPECT_TRUE(startLauncherEntry(shell, reg, 9));
    EXPECT_FALSE(startLauncherEntry(shell, reg, 5)); // empty entry
    EXPECT_FALSE(startLauncherEntry(shell, reg, 10));
    EXPECT_FALSE(startLauncherEntry(shell, reg, -1));
    EXPECT_EQ(shell.started, (QStringList{reg[0], reg[9]}));
    EXPECT_TRUE(shell.opened.isEmpty());

    launchProgram(shell, QStringLiteral("/no/such/file.exe")); // launchProgram itself does not check
    EXPECT_EQ(shell.started.last(), QStringLiteral("/no/such/file.exe"));
}

TEST(PickerMode, CaptionsChooseTheMode)
{
    const AppPaths paths(QStringLiteral("/nonexistent-yk-app"));
    EXPECT_EQ(pickerModeFor(backgroundPickerRequest(5, paths).caption), PickerMode::Background);
    EXPECT_EQ(pickerModeFor(QStringLiteral(" 背景登録")), PickerMode::Background);
    EXPECT_EQ(pickerModeFor(launcherPickerRequest(10, paths).caption), PickerMode::Launcher);
    EXPECT_EQ(pickerModeFor(timerSoundPickerRequest(1, paths).caption), PickerMode::TimerSound);
    EXPECT_EQ(pickerModeFor(playListPickerRequest(paths).caption), PickerMode::PlayListAdd);
    EXPECT_EQ(pickerModeFor(QStringLiteral(" 背景登録＆選択")), PickerMode::None);
    EXPECT_EQ(pickerModeFor(QString()), PickerMode::None);

    EXPECT_EQ(launcherPickerRequest(10, paths).caption,
              QStringLiteral(" No,10にタイマー完了時実行するアプリ＆ランチャーを登録します"));
    EXPECT_EQ(timerSoundPickerRequest(3, paths).caption,
              QStringLiteral(" No,3にタイマー完了時再生するファイルを選択します"));
    EXPECT_EQ(backgroundPickerRequest(12, paths).caption, QStringLiteral(" No,12の背景登録"));
    EXPECT_EQ(launcherPickerRequest(1, paths).pattern, QStringLiteral("*.exe"));
    EXPECT_EQ(patternFilters(QStringLiteral("*.bmp; *.jpg;;*.gif")),
              (QStringList{QStringLiteral("*.bmp"), QStringLiteral("*.jpg"), QStringLiteral("*.gif")}));
}

TEST_F(LauncherFiles, StartingFoldersPreferTheDataFoldersThatExist)
{
    const AppPaths paths(dir.path());
    const QString app = paths.myPath();
    EXPECT_EQ(defaultPickerFolder(paths), app);
    EXPECT_EQ(launcherPickerRequest(1, paths).folder, app);
    EXPECT_EQ(playListPickerRequest(paths).folder, app);

    QDir(app).mkpath(QStringLiteral("wav"));
    EXPECT_EQ(playListPickerRequest(paths).folder, app + QStringLiteral("wav/"));
    QDir(app).mkpath(QStringLiteral("mp3"));
    EXPECT_EQ(playListPickerRequest(paths).folder, app + QStringLiteral("mp3/"));
    QDir(app).mkpath(QStringLiteral("exe"));
    EXPECT_EQ(launcherPickerRequest(1, paths).folder, app + QStringLiteral("exe/"));
    QDir(app).mkpath(QStringLiteral("img"));
    EXPECT_EQ(defaultPickerFolder(paths), app + QStringLiteral("img/"));
    EXPECT_EQ(backgroundPickerRequest(1, paths).folder, app + QStringLiteral("img/"));
    // A file named like the folder is not a folder.
    make(QStringLiteral("x/img"));
    EXPECT_EQ(defaultPickerFolder(AppPaths(dir.filePath(QStringLiteral("x")))), dir.filePath(QStringLiteral("x/")));
}

TEST_F(LauncherFiles, LauncherRegistrationAcceptsExeEndingsOnly)
{
    yk::test::RecordingPickerTarget t;
    const QString upper = make(QStringLiteral("tool.EXE"));
    EXPECT_EQ(registerPath(PickerMode::Launcher, upper, t), RegisterResult::Stored);
    EXPECT_EQ(t.log, (QStringList{QStringLiteral("launcher 3 ") + upper, QStringLiteral("txt_Apr tool.EXE")}));

    t.log.clear();
    EXPECT_EQ(registerPath(PickerMode::Launcher, make(QStringLiteral("tool.com")), t), RegisterResult::Ignored);
    EXPECT_TRUE(t.log.isEmpty());

    const QString runexe = make(QStringLiteral("runexe"));
    EXPECT_EQ(registerPath(PickerMode::Launcher, runexe, t), RegisterResult::Stored);
    EXPECT_EQ(t.log.first(), QStringLiteral("launcher 3 ") + runexe);

    t.log.clear();
    EXPECT_EQ(registerPath(PickerMode::Launcher, dir.filePath(QStringLiteral("missing.exe")), t),
              RegisterResult::NotRegistered);
    EXPECT_EQ(t.log, QStringList{QStringLiteral("txt_Apr 未登録")});

    // No slot to write into.
    t.log.clear();
    t.launcherNo = 11;
    EXPECT_EQ(registerPath(PickerMode::Launcher, upper, t), RegisterResult::Ignored);
    t.launcherNo = 0;
    EXPECT_EQ(registerPath(PickerMode::Launcher, upper, t), RegisterResult::Ignored);
    EXPECT_TRUE(t.log.isEmpty());
}

TEST_F(LauncherFiles, TimerSoundRegistrationChecksTheEnding)
{
    yk::test::RecordingPickerTarget t;
    for (const char* name : {"a.wav", "b.MP3", "c.mj", "d.midi", "e.mpeg", "f.mpv2", "g.mp2v", "h.avi", "i.rmi", "j.ogg", "k.mp4"}) {
        t.log.clear();
        const QString path = make(QString::fromLatin1(name));
        EXPECT_EQ(registerPath(PickerMode::TimerSound, path, t), RegisterResult::Stored) << name;
        EXPECT_EQ(t.log, (QStringList{QStringLiteral("sound 2 ") + path, QStringLiteral("txt_Wav ") + QString::fromLatin1(name)}));
    }
    for (const char* name : {"notes.txt", "cover.jpeg"}) {
        t.log.clear();
        EXPECT_EQ(registerPath(PickerMode::TimerSound, make(QString::fromLatin1(name)), t), RegisterResult::NotRegistered);
        EXPECT_EQ(t.log, QStringList{QStringLiteral("txt_Wav 未登録")}) << name;
    }
    t.log.clear();
    EXPECT_EQ(registerPath(PickerMode::TimerSound, dir.filePath(QStringLiteral("gone.wav")), t),
              RegisterResult::NotRegistered);
    EXPECT_EQ(t.log, QStringList{QStringLiteral("txt_Wav 未登録")});
}

TEST_F(LauncherFiles, BackgroundAndPlayListTakeAnyExistingFile)
{
    yk::test::RecordingPickerTarget t;
    const QString picture = make(QStringLiteral("img/p.jpg"));
    const QString song = make(QStringLiteral("mp3/s.mp3"));
    EXPECT_EQ(registerPath(PickerMode::Background, picture, t), RegisterResult::Stored);
    EXPECT_EQ(registerPath(PickerMode::Background, dir.filePath(QStringLiteral("img/none.jpg")), t),
              RegisterResult::Ignored);
    EXPECT_EQ(registerPath(PickerMode::PlayListAdd, song, t), RegisterResult::Stored);
    EXPECT_EQ(registerPath(PickerMode::PlayListAdd, QString(), t), RegisterResult::Ignored);
    EXPECT_EQ(registerPath(PickerMode::None, song, t), RegisterResult::Ignored);
    EXPECT_EQ(t.log, (QStringList{QStringLiteral("background ") + picture, QStringLiteral("add ") + song}));
}
