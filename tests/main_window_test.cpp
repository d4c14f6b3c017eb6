#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMenu>
#include <QPlainTextEdit>

#include "calendar/Memo.h"
#include "support/AppHarness.h"

using namespace yk;
using yk::test::Harness;
using yk::test::touch;

TEST(MainWindowKeys, ArrowsBrowseMonthsAndYearsAndEnterComesBackToToday)
{
    Harness h;
    h.startAndSettle();
    h.key(Qt::Key_Up);
    EXPECT_EQ(h.label(QStringLiteral("lblTitle"))->text(), QStringLiteral("2027"));
    h.key(Qt::Key_Down);
    h.key(Qt::Key_Down);
    EXPECT_EQ(h.label(QStringLiteral("lblTitle"))->text(), QStringLiteral("2025"));
    // December does not step into the next year.
    h.key(Qt::Key_Right);
    EXPECT_EQ(h.label(QStringLiteral("LblTitle_2"))->text(), QStringLiteral("12"));
    EXPECT_EQ(h.label(QStringLiteral("lblTitle"))->text(), QStringLiteral("2025"));
    for (int i = 0; i < 13; ++i)
        h.key(Qt::Key_Left);
    EXPECT_EQ(h.label(QStringLiteral("LblTitle_2"))->text(), QStringLiteral("1"));
    // January 2025: the 1st is a Wednesday (cell 3), the 13th is Coming of Age Day.
    EXPECT_EQ(h.label(QStringLiteral("lblday_3"))->text(), QStringLiteral("1"));
    EXPECT_EQ(h.label(QStringLiteral("lblday_15"))->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    h.key(Qt::Key_Return);
    EXPECT_EQ(h.label(QStringLiteral("lblTitle"))->text(), QStringLiteral("2026"));
    EXPECT_EQ(h.label(QStringLiteral("LblTitle_2"))->text(), QStringLiteral("12"));
}

TEST(MainWindowKeys, EscapeEndsTheProgram)
{
    Harness h;
    h.startAndSettle();
    QSignalSpy finished(h.app.get(), &App::finished);
    QTest::keyClick(h.form(), Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(h.mascot.scripts.last(), QStringLiteral("\\t\\h\\s[0]Yomikazeが終了しました♪\\e"));
}

TEST(MainWindowMouse, ReleaseSelectsADayAndTheTitleForgetsIt)
{
    Harness h;
    h.startAndSettle();
    QTest::mouseClick(h.label(QStringLiteral("lblday_10")), Qt::LeftButton);   // December 2026: cell 10 is the 9th
    EXPECT_EQ(h.calendar().selDate(), QStringLiteral("20261209"));
    QTest::mouseClick(h.label(QStringLiteral("lblTitle")), Qt::LeftButton);
    EXPECT_EQ(h.calendar().selDate(), QStringLiteral("202612"));
    QTest::mouseClick(h.label(QStringLiteral("lblday_0")), Qt::LeftButton);    // an empty cell
    EXPECT_EQ(h.calendar().selDate(), QStringLiteral("202612"));
}

TEST(MainWindowMouse, DoubleClickOpensTheMemoAndSavingMarksTheDay)
{
    Harness h;
    h.startAndSettle();
    QTest::mouseDClick(h.label(QStringLiteral("lblday_0")), Qt::LeftButton);   // empty cell: nothing opens
    EXPECT_EQ(h.windows().memo(), nullptr);

    QTest::mouseDClick(h.label(QStringLiteral("lblday_11")), Qt::LeftButton);  // the 10th
    Memo* memo = h.windows().memo();
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isVisible());
    auto* diary = memo->findChild<QPlainTextEdit*>(QStringLiteral("Txt_Memo"));
    ASSERT_NE(diary, nullptr);
    diary->setPlainText(QStringLiteral("歯医者 15:00"));
    auto* save = memo->findChild<QAbstractButton*>(QStringLiteral("cmdSave"));
    ASSERT_NE(save, nullptr);
    save->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(h.label(QStringLiteral("image1_11"))->isHidden());
    EXPECT_TRUE(QFile::exists(h.path(QStringLiteral("txt/20261210.TXT"))));

    // Delete unmarks it again.
    QTest::mouseDClick(h.label(QStringLiteral("lblday_11")), Qt::LeftButton);
    memo = h.windows().memo();
    ASSERT_NE(memo, nullptr);
    memo->findChild<QAbstractButton*>(QStringLiteral("cmbdel"))->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(h.label(QStringLiteral("image1_11"))->isHidden());
}

TEST(MainWindowMouse, DoubleClickOnTheMonthOpensTheDataFolder)
{
    Harness h;
    h.startAndSettle();
    QTest::mouseDClick(h.label(QStringLiteral("LblTitle_2")), Qt::LeftButton);
    ASSERT_EQ(h.shell.opened.size(), 1);
    EXPECT_EQ(h.shell.opened.first(), h.settings().filePath().section(u'/', 0, -3) + u'/');
}

TEST(CalendarColours, AChosenColourRedrawsTheShownMonthAndCancelKeepsIt)
{
    Harness h;
    h.colourAnswer = QColor(0, 128, 0);
    h.startAndSettle();
    h.key(Qt::Key_Down);   // another month than today's stays on show
    h.chooseCalendarColour(QStringLiteral("cmd_Sat"));
    EXPECT_EQ(h.settings().saturdayColour, QString::number(0x008000));
    EXPECT_EQ(h.label(QStringLiteral("lblTitle"))->text(), QStringLiteral("2025"));
    EXPECT_EQ(h.label(QStringLiteral("lblweek7"))->palette().color(QPalette::WindowText), QColor(0, 128, 0));

    h.colourAnswer.reset();   // cancelled
    h.chooseCalendarColour(QStringLiteral("cmd_Sat"));
    EXPECT_EQ(h.settings().saturdayColour, QString::number(0x008000));
}

TEST(MainWindowMouse, RightReleaseOpensTheMenuOnlyOverTheCalendarAndTheClock)
{
    Harness h;
    h.startAndSettle();
    QMenu* menu = h.menu()->menu();
    for (const char* control : {"img_Ber", "img_Vol", "lbl_Play_Name", "lbl_S_Time", "img_P", "img_Pouse_0",
                                "img_Randam_0", "img_L_0"}) {
        QTest::mouseClick(h.label(QString::fromLatin1(control)), Qt::RightButton);
        EXPECT_FALSE(menu->isVisible()) << control;
        menu->hide();
    }
    for (const char* owner : {"lblday_12", "LBL_TIME", "lblweek3", "pct_Main"}) {
        QTest::mouseClick(h.label(QString::fromLatin1(owner)), Qt::RightButton);
        EXPECT_TRUE(menu->isVisible()) << owner;
        menu->hide();
    }
}

TEST(MainWindowMouse, PlayerButtonsAndThumbsDoNotCarryTheWindow)
{
    Harness h;
    h.startAndSettle();
    MainWindow* form = h.form();
    auto dragBy = [](QLabel* l, int dx) {
        const QPoint at(2, 2);
        QTest::mousePress(l, Qt::LeftButton, {}, at);
        QTest::mouseMove(l, at + QPoint(dx, dx));
        QTest::mouseRelease(l, Qt::LeftButton, {}, at + QPoint(dx, dx));
    };
    const QPoint start = form->pos();
    for (const char* control : {"img_P", "img_S", "img_F", "img_B", "img_Pouse_0", "img_L_0", "img_Randam_0",
                                "img_Vol", "img_Ber"}) {
        dragBy(h.label(QString::fromLatin1(control)), 40);
        EXPECT_EQ(form->pos(), start) << control;
    }
    dragBy(h.label(QStringLiteral("LBL_TIME")), 40);
    EXPECT_NE(form->pos(), start) << "the clock is a handle for the window";
}
