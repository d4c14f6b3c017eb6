#include "platform/linux/XdgAutostart.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/AppHarness.h"
#include "support/TestUtil.h"

using yk::XdgAutostart;
using yk::test::readBytes;
using yk::test::writeBytes;

namespace {

const QString kProgram = QStringLiteral("/opt/Yomikaze 1.35/bin/yomikaze");

// A user autostart folder and two system ones, all under a fresh folder.
struct Folders
{
    QTemporaryDir dir;
    QString user() const { return dir.filePath(QStringLiteral("config/autostart/yomikaze.desktop")); }
    QString system(int n) const
    {
        return dir.filePath(QStringLiteral("xdg%1/autostart/yomikaze.desktop").arg(n));
    }
    XdgAutostart autostart() const { return XdgAutostart(user(), {system(1), system(2)}, kProgram); }
    void write(const QString& path, const char* text) const
    {
        QDir().mkpath(QFileInfo(path).path());
        writeBytes(path, QByteArray(text));
    }
};

const char* const kSystemOn = "[Desktop Entry]\nType=Application\nName=Yomikaze\nExec=yomikaze\n";
const char* const kHiddenEntry = "[Desktop Entry]\nType=Application\nName=Yomikaze\nExec=yomikaze\nHidden=true\n";

} // namespace

TEST(XdgAutostart, TurningOnWritesAnEntryThatRunsThisProgramAndOffRemovesIt)
{
    Folders f;
    XdgAutostart a = f.autostart();
    EXPECT_TRUE(a.supported());
    EXPECT_EQ(a.location(), f.user());
    EXPECT_FALSE(a.isEnabled());

    // The autostart folder does not exist yet: it is made.
    ASSERT_TRUE(a.setEnabled(true));
    EXPECT_TRUE(a.isEnabled());
    const QString text = QString::fromUtf8(readBytes(f.user()));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\nType=Application\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=\"/opt/Yomikaze 1.35/bin/yomikaze\"\n"))) << text.toStdString();
    EXPECT_FALSE(text.contains(u'\r'));
    EXPECT_FALSE(text.contains(QStringLiteral("Hidden")));
    // Turning on twice keeps one good entry.
    ASSERT_TRUE(a.setEnabled(true));
    EXPECT_EQ(QString::fromUtf8(readBytes(f.user())), text);

    ASSERT_TRUE(a.setEnabled(false));
    EXPECT_FALSE(QFile::exists(f.user()));
    EXPECT_FALSE(a.isEnabled());
    // Off when already off is no failure.
    EXPECT_TRUE(a.setEnabled(false));
}

TEST(XdgAutostart, EntriesTurnedOffByTheDesktopCountAsOff)
{
    Folders f;
    const XdgAutostart a = f.autostart();
    f.write(f.user(), kHiddenEntry);
    EXPECT_FALSE(a.isEnabled());
    f.write(f.user(), "[Desktop Entry]\nExec=yomikaze\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(a.isEnabled());
    f.write(f.user(), "[Desktop Entry]\r\nExec=yomikaze\r\nHidden = true\r\n");
    EXPECT_FALSE(a.isEnabled());
    // Keys of another group are not the entry's.
    f.write(f.user(), "[Desktop Entry]\nExec=yomikaze\n[Desktop Action quiet]\nHidden=true\n");
    EXPECT_TRUE(a.isEnabled());
    f.write(f.user(), "[Desktop Entry]\nExec=yomikaze\nHidden=false\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(a.isEnabled());
}

TEST(XdgAutostart, TurningOnReplacesAnEntryTheDesktopHid)
{
    Folders f;
    XdgAutostart a = f.autostart();
    f.write(f.user(), kHiddenEntry);
    ASSERT_TRUE(a.setEnabled(true));
    EXPECT_TRUE(a.isEnabled());
    EXPECT_FALSE(readBytes(f.user()).contains("Hidden"));
}

TEST(XdgAutostart, ASystemEntryIsOverriddenByTheUsersAndTurnedOffWithAHiddenOne)
{
    Folders f;
    XdgAutostart a = f.autostart();
    f.write(f.system(2), kSystemOn);
    EXPECT_TRUE(a.isEnabled());

    // Removing nothing would leave the system's entry in charge: the user's
    // file hides it instead, and the system's file is left alone.
    ASSERT_TRUE(a.setEnabled(false));
    EXPECT_FALSE(a.isEnabled());
    EXPECT_TRUE(readBytes(f.user()).contains("\nHidden=true\n"));
    EXPECT_EQ(readBytes(f.system(2)), QByteArray(kSystemOn));

    ASSERT_TRUE(a.setEnabled(true));
    EXPECT_TRUE(a.isEnabled());

    // The first system folder decides over the later ones.
    QFile::remove(f.user());
    f.write(f.system(1), kHiddenEntry);
    EXPECT_FALSE(a.isEnabled());
    ASSERT_TRUE(a.setEnabled(false));
    EXPECT_FALSE(QFile::exists(f.user()));
}

TEST(XdgAutostart, AnEntryThatCannotBeWrittenIsAFailureAndStaysOff)
{
    Folders f;
    // The autostart "folder" is a file: no one, root included, writes under it.
    const QString blocker = QFileInfo(f.user()).path();
    QDir().mkpath(QFileInfo(blocker).path());
    writeBytes(blocker, "not a folder");
    XdgAutostart a = f.autostart();
    EXPECT_FALSE(a.setEnabled(true));
    EXPECT_FALSE(a.isEnabled());
}

TEST(XdgAutostart, ExecArgumentsAreQuotedAndEscapedAsTheFormatWants)
{
    using yk::desktopExecArgument;
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/usr/bin/yomikaze")), QStringLiteral("/usr/bin/yomikaze"));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/home/a b/yk")), QStringLiteral("\"/home/a b/yk\""));
    // Inside quotes " ` $ \ get a backslash, and the file format's own
    // escape doubles every backslash once more.
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/x/$HOME\"`\\")),
              QStringLiteral("\"/x/\\\\$HOME\\\\\"\\\\`\\\\\\\\\""));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/x/100%")), QStringLiteral("/x/100%%"));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/x/(1)")), QStringLiteral("\"/x/(1)\""));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/x/日本語")), QStringLiteral("/x/日本語"));
}

TEST(XdgAutostart, TheWrittenEntryPassesTheDesktopsValidator)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty()) << "desktop-file-validate is not installed (scripts/setup installs it)";
    Folders f;
    for (bool on : {true, false}) {
        f.write(f.system(1), kSystemOn); // so that off writes a hidden entry
        XdgAutostart a = f.autostart();
        ASSERT_TRUE(a.setEnabled(on));
        QProcess v;
        v.start(validator, {f.user()});
        ASSERT_TRUE(v.waitForFinished(10000));
        EXPECT_EQ(v.exitCode(), 0) << v.readAllStandardOutput().toStdString();
    }
}

TEST(XdgAutostart, TheSystemsEntryFollowsTheBaseDirectoryVariables)
{
    QTemporaryDir dir;
    const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldDirs = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", "/etc/one:relative/skipped:/etc/two");
    EXPECT_EQ(XdgAutostart::userEntryPath(), dir.path() + QStringLiteral("/autostart/yomikaze.desktop"));
    EXPECT_EQ(XdgAutostart::systemEntryPaths(), (QStringList{QStringLiteral("/etc/one/autostart/yomikaze.desktop"),
                                                             QStringLiteral("/etc/two/autostart/yomikaze.desktop")}));
    const std::unique_ptr<yk::Autostart> a = yk::createAutostart(QStringLiteral("/usr/local/bin/yomikaze"));
    ASSERT_TRUE(a->setEnabled(true));
    EXPECT_TRUE(readBytes(dir.path() + QStringLiteral("/autostart/yomikaze.desktop"))
                    .contains("\nExec=/usr/local/bin/yomikaze\n"));

    qputenv("XDG_CONFIG_HOME", "not/absolute");
    qunsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(XdgAutostart::userEntryPath(), QDir::homePath() + QStringLiteral("/.config/autostart/yomikaze.desktop"));
    EXPECT_EQ(XdgAutostart::systemEntryPaths(), QStringList{QStringLiteral("/etc/xdg/autostart/yomikaze.desktop")});
    qputenv("XDG_CONFIG_HOME", oldHome);
    qputenv("XDG_CONFIG_DIRS", oldDirs);
}

// The popup menu's item, through the whole program.
class AutostartMenu : public ::testing::Test
{
protected:
    Folders f;
    std::unique_ptr<XdgAutostart> autostart = std::make_unique<XdgAutostart>(f.autostart());
    yk::test::Harness h;
    QAction* item() const { return h.menu()->item(QStringLiteral("mnu_Login")); }
    // The menu as the user opens it, then closed again.
    void openMenu()
    {
        h.popupMenu(QPoint(10, 10), true);
        h.menu()->menu()->close();
    }
};

TEST_F(AutostartMenu, TheItemFollowsAlwaysOnTopAndIsACheckItem)
{
    h.autostart = autostart.get();
    h.startAndSettle();
    const QStringList names = h.menu()->itemNames();
    ASSERT_TRUE(names.contains(QStringLiteral("mnu_Top")));
    EXPECT_EQ(names.value(names.indexOf(QStringLiteral("mnu_Top")) + 1), QStringLiteral("mnu_Login"));
    ASSERT_NE(item(), nullptr);
    EXPECT_EQ(item()->text(), QStringLiteral("ログイン時に起動"));
    EXPECT_TRUE(item()->isCheckable());
    EXPECT_TRUE(item()->isVisible());
    EXPECT_FALSE(item()->isChecked());
    EXPECT_TRUE(h.menuCommands().contains(QStringLiteral("mnu_Login")));
}

TEST_F(AutostartMenu, ChoosingTheItemWritesAndRemovesTheEntryAndTheMarkFollows)
{
    h.autostart = autostart.get();
    h.startAndSettle();
    h.menu(QStringLiteral("mnu_Login"));
    EXPECT_TRUE(QFile::exists(f.user()));
    EXPECT_TRUE(item()->isChecked());
    // The entry runs the program that wrote it.
    EXPECT_TRUE(readBytes(f.user()).contains("Exec=\"/opt/Yomikaze 1.35/bin/yomikaze\""));
    // Always-on-top is a different item and stays as it was.
    EXPECT_FALSE(h.settings().alwaysOnTop);

    h.menu(QStringLiteral("mnu_Login"));
    EXPECT_FALSE(QFile::exists(f.user()));
    EXPECT_FALSE(item()->isChecked());
}

TEST_F(AutostartMenu, AnEntryChangedOutsideShowsWhenTheMenuOpens)
{
    f.write(f.user(), kSystemOn);
    h.autostart = autostart.get();
    h.startAndSettle();
    EXPECT_TRUE(item()->isChecked()) << "an entry present at start is not shown";

    QFile::remove(f.user());
    openMenu();
    EXPECT_FALSE(item()->isChecked());

    f.write(f.user(), kSystemOn);
    openMenu();
    EXPECT_TRUE(item()->isChecked());
    // Choosing it now turns it off, as the mark said it was on.
    h.menu(QStringLiteral("mnu_Login"));
    EXPECT_FALSE(QFile::exists(f.user()));
}

TEST_F(AutostartMenu, AFailedWriteSaysSoAndTheMarkStaysOff)
{
    const QString blocker = QFileInfo(f.user()).path();
    QDir().mkpath(QFileInfo(blocker).path());
    writeBytes(blocker, "not a folder");
    h.autostart = autostart.get();
    h.startAndSettle();
    h.menu(QStringLiteral("mnu_Login"));
    EXPECT_FALSE(item()->isChecked());
    QMessageBox* box = h.form()->findChild<QMessageBox*>(QStringLiteral("autostartError"));
    ASSERT_NE(box, nullptr) << "no message about the failure";
    EXPECT_TRUE(box->text().contains(f.user())) << box->text().toStdString();
    box->close();
}

TEST_F(AutostartMenu, WithoutAnAutostartServiceTheItemIsHidden)
{
    h.startAndSettle();
    ASSERT_NE(item(), nullptr);
    EXPECT_FALSE(item()->isVisible());
}
