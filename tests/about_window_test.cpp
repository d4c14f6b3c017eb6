#include "shell/AboutWindow.h"
#include "shell/HelpFiles.h"
#include "ui/ToolWindow.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include "support/TestUtil.h"

#include "platform/AppPaths.h"
#include "platform/TextFile.h"

using yk::test::child;

using namespace yk;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST(AboutWindow, ControlsCarryTheirNamesAndTexts)
{
    AboutWindow w(QStringLiteral("file:///opt/yk/Readme.txt"));
    EXPECT_EQ(w.objectName(), u"frmAbout");
    const auto label = [&](const char* name) { return w.findChild<QLabel*>(QLatin1String(name)); };
    ASSERT_TRUE(label("lbl_Pct_Name") && label("lbl_Name_r") && label("lblTitle") && label("lblVersion")
                && label("lblDescription") && label("lbl_URL") && label("picIcon"));
    EXPECT_EQ(label("lbl_Name_r")->text(), u"ﾖ ﾐ ｶ ｾﾞ");
    EXPECT_EQ(label("lblTitle")->text(), u"Version 1.35");
    EXPECT_EQ(label("lblVersion")->text(), u"ﾊﾞｰｼﾞｮﾝ");
    EXPECT_EQ(label("lbl_URL")->text(), u"URL");
    EXPECT_FALSE(label("lblDescription")->text().isEmpty());
    EXPECT_FALSE(label("lbl_Pct_Name")->pixmap().isNull());
    EXPECT_FALSE(label("picIcon")->pixmap().isNull());
    ASSERT_TRUE(w.findChild<QFrame*>(QStringLiteral("Fra_1")));
    ASSERT_TRUE(w.findChild<QFrame*>(QStringLiteral("Line1")));

    auto* ok = w.findChild<QPushButton*>(QStringLiteral("cmdOK"));
    auto* url = w.findChild<QPushButton*>(QStringLiteral("cmb_URL"));
    ASSERT_TRUE(ok && url);
    EXPECT_EQ(ok->text(), u"OK");
    EXPECT_EQ(url->text(), u"file:///opt/yk/Readme.txt");

    // The title picture is ours and not blank: it has more than one colour.
    const QImage title = AboutWindow::titlePicture().toImage();
    EXPECT_NE(title.pixel(10, 22), title.pixel(title.width() - 10, 22));

    EXPECT_TRUE(AboutWindow::kOpenHint.startsWith(QStringLiteral("\\t\\h\\s[5]β版とかは伝言板で公開してるらしいよ\\w5\\u\\s[0]")));
    EXPECT_TRUE(AboutWindow::kOpenHint.endsWith(QStringLiteral("\\n\\n反応がないとやっぱり寂しいもんね\\e")));
    EXPECT_EQ(AboutWindow::kOpenHint.count(QStringLiteral("\\e")), 1);
}

TEST(AboutWindow, SignalsForOpeningOkAndTheHomePage)
{
    AboutWindow w(QStringLiteral("file:///opt/yk/Readme.txt"));
    QSignalSpy opened(&w, &AboutWindow::opened);
    QSignalSpy ok(&w, &AboutWindow::okClicked);
    QSignalSpy home(&w, &AboutWindow::homePageRequested);

    w.openAbout();
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowModality(), Qt::ApplicationModal);

    QTest::mouseClick(child<QPushButton>(&w, "cmb_URL"), Qt::LeftButton);
    QTest::mouseClick(child<QLabel>(&w, "picIcon"), Qt::LeftButton);
    ASSERT_EQ(home.size(), 2);
    EXPECT_EQ(home[0][0].toString(), u"file:///opt/yk/Readme.txt");
    EXPECT_EQ(home[1][0].toString(), u"file:///opt/yk/Readme.txt");
    EXPECT_TRUE(ok.isEmpty());

    QTest::mouseClick(child<QPushButton>(&w, "cmdOK"), Qt::LeftButton);
    EXPECT_EQ(ok.size(), 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
}

TEST(AboutWindow, LongAddressIsShortenedOnTheButtonButOpenedWhole)
{
    const QString longAddress = QStringLiteral("file:///") + QString(60, u'x') + QStringLiteral("/R&D/Readme.txt");
    AboutWindow w(longAddress);
    QSignalSpy home(&w, &AboutWindow::homePageRequested);
    EXPECT_NE(child<QPushButton>(&w, "cmb_URL")->text(), longAddress);
    EXPECT_EQ(child<QPushButton>(&w, "cmb_URL")->toolTip(), longAddress);
    QTest::mouseClick(child<QPushButton>(&w, "cmb_URL"), Qt::LeftButton);
    ASSERT_EQ(home.size(), 1);
    EXPECT_EQ(home[0][0].toString(), longAddress);
}

TEST(AboutWindow, DraggingByLabelFrameOrWindowMovesItByTheMouse)
{
    AboutWindow w(QStringLiteral("file:///x/Readme.txt"));
    w.move(100, 100);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QPoint start = w.pos();

    // A press on a label inside the frame reaches the window.
    QWidget* handle = child<QLabel>(&w, "lblTitle");
    sendMouse(handle, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    sendMouse(handle, QEvent::MouseMove, QPoint(35, 25), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w.pos(), start + QPoint(30, 20));
    sendMouse(handle, QEvent::MouseButtonRelease, QPoint(35, 25), Qt::LeftButton, Qt::NoButton);

    // After the release, moving the mouse no longer moves the window.
    const QPoint after = w.pos();
    sendMouse(child<QFrame>(&w, "Fra_1"), QEvent::MouseMove, QPoint(80, 80), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(w.pos(), after);

    // The frame itself is a handle too; no snapping to anything.
    sendMouse(child<QFrame>(&w, "Fra_1"), QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
    sendMouse(child<QFrame>(&w, "Fra_1"), QEvent::MouseMove, QPoint(-1, 5), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w.pos(), after + QPoint(-3, 3));
    sendMouse(child<QFrame>(&w, "Fra_1"), QEvent::MouseButtonRelease, QPoint(-1, 5), Qt::LeftButton, Qt::NoButton);

    // The icon is a link: pressing it does not start a drag.
    const QPoint beforeIcon = w.pos();
    sendMouse(child<QLabel>(&w, "picIcon"), QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
    sendMouse(child<QLabel>(&w, "picIcon"), QEvent::MouseMove, QPoint(40, 40), Qt::NoButton, Qt::LeftButton);
    sendMouse(child<QLabel>(&w, "picIcon"), QEvent::MouseButtonRelease, QPoint(40, 40), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.pos(), beforeIcon);

    w.toolWindow()->setTopMost(true);
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.isVisible());
    w.toolWindow()->setTopMost(false);
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(HelpFiles, WrittenOnceAndNeverOverwritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const AppPaths paths(dir.path());
    const QString shortcut = dir.filePath(QStringLiteral("ShortCut.txt"));
    const QString readme = dir.filePath(QStringLiteral("Readme.txt"));

    EXPECT_TRUE(helpFilePath(paths).isEmpty()); // nothing opens without the files

    ASSERT_TRUE(writeHelpFiles(paths));
    const auto keys = textfile::readText(shortcut);
    const auto intro = textfile::readText(readme);
    ASSERT_TRUE(keys && intro);
    EXPECT_EQ(textfile::readLines(shortcut).value_or(QStringList()), textfile::splitLines(shortCutText()));
    EXPECT_TRUE(readBytes(shortcut).endsWith("\r\n"));
    // Every key command is listed.
    for (const char16_t* key : {u"↑", u"↓", u"→", u"←", u"Enter", u"Space", u"Ctrl", u"Page Up", u"Page Down",
                                u"Home", u"End", u"Delete", u"Insert", u"Backspace", u"Shift", u"Esc", u" T ",
                                u" M ", u" C ", u" D ", u" P ", u"1 ～ 9, 0"})
        EXPECT_TRUE(keys->contains(QString::fromUtf16(key))) << QString::fromUtf16(key).toStdString();
    EXPECT_TRUE(intro->contains(QStringLiteral("右クリック")));
    EXPECT_TRUE(intro->contains(QStringLiteral("ダブルクリック")));

    // The user's own edits survive a later start.
    ASSERT_TRUE(textfile::writeText(readme, QStringLiteral("自分のメモ")));
    QFile::remove(shortcut);
    ASSERT_TRUE(writeHelpFiles(paths));
    EXPECT_EQ(textfile::readText(readme).value_or(QString()), u"自分のメモ");
    EXPECT_TRUE(QFile::exists(shortcut));
}

TEST(HelpFiles, HelpOpensShortCutFirstThenReadme)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const AppPaths paths(dir.path());
    const QString shortcut = dir.filePath(QStringLiteral("ShortCut.txt"));
    const QString readme = dir.filePath(QStringLiteral("Readme.txt"));

    ASSERT_TRUE(textfile::writeText(readme, QStringLiteral("r")));
    EXPECT_EQ(QDir::cleanPath(helpFilePath(paths)), QDir::cleanPath(readme));

    // A folder of that name is not a help file.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ShortCut.txt")));
    EXPECT_EQ(QDir::cleanPath(helpFilePath(paths)), QDir::cleanPath(readme));
    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("ShortCut.txt")));

    ASSERT_TRUE(textfile::writeText(shortcut, QStringLiteral("s")));
    EXPECT_EQ(QDir::cleanPath(helpFilePath(paths)), QDir::cleanPath(shortcut));

    EXPECT_EQ(QUrl(homePageAddress(paths)).toLocalFile(), QDir::cleanPath(readme));
}
