#include "calendar/Memo.h"
#include "ui/ToolWindow.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSizeGrip>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace yk;

namespace {

class MemoWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("txt"));
        memo = std::make_unique<Memo>(store);
    }

    QString txt(const QString& name) const { return m_dir.path() + QStringLiteral("/txt/") + name; }
    QByteArray bytes(const QString& name) const
    {
        QFile f(txt(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QPlainTextEdit* text(const char* name) const { return memo->findChild<QPlainTextEdit*>(QLatin1String(name)); }
    QPushButton* button(const char* name) const { return memo->findChild<QPushButton*>(QLatin1String(name)); }

    void showAt(int x, int y)
    {
        memo->move(x, y);
        memo->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(memo.get()));
    }

    QTemporaryDir m_dir;
    DayNoteStore store{AppPaths(m_dir.path())};
    std::unique_ptr<Memo> memo;
};

} // namespace

TEST_F(MemoWindow, ControlsCarryTheirNamesAndCaptions)
{
    EXPECT_EQ(memo->objectName(), u"Memo");
    EXPECT_TRUE(memo->windowFlags().testFlag(Qt::FramelessWindowHint));
    auto* tabs = memo->findChild<QTabWidget*>(QStringLiteral("SSTab_Txt"));
    ASSERT_TRUE(tabs);
    ASSERT_EQ(tabs->count(), 4);
    const char16_t* captions[] = {u"日記", u"午前", u"午後", u"メモ"};
    const char* texts[] = {"Txt_Memo", "Txt_Memo2", "Txt_Memo3", "Txt_Memo4"};
    const char* strips[] = {"lbl_Move", "lbl_Move2", "lbl_Move3", "lbl_Move4"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs->tabText(i), QStringView(captions[i]));
        ASSERT_TRUE(text(texts[i])) << texts[i];
        EXPECT_TRUE(tabs->widget(i)->isAncestorOf(text(texts[i])));
        EXPECT_FALSE(text(texts[i])->accessibleName().isEmpty());
        auto* strip = memo->findChild<QLabel*>(QLatin1String(strips[i]));
        ASSERT_TRUE(strip) << strips[i];
        EXPECT_TRUE(tabs->widget(i)->isAncestorOf(strip));
    }
    EXPECT_EQ(button("cmdSave")->text(), u"記録(&S)");
    EXPECT_EQ(button("cmbdel")->text(), u"消去(&D)");
    EXPECT_EQ(button("cmbesc")->text(), u"戻る(&E)");
    EXPECT_FALSE(button("cmbesc")->accessibleName().isEmpty());
}

TEST_F(MemoWindow, OpenLoadsExistingFilesAndForgetsTheEarlierDay)
{
    ASSERT_TRUE(store.write(u"20260105"_qs, {u"日記"_qs, u"朝"_qs, u"昼"_qs}, u"共通"_qs));
    EXPECT_FALSE(memo->openDay(u"202601"_qs)); // a month names no day
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    EXPECT_EQ(text("Txt_Memo")->toPlainText(), u"日記\n");
    EXPECT_EQ(text("Txt_Memo2")->toPlainText(), u"朝\n");
    EXPECT_EQ(text("Txt_Memo3")->toPlainText(), u"昼");
    EXPECT_EQ(text("Txt_Memo4")->toPlainText(), u"共通");
    showAt(50, 50);

    // Another day while open: its boxes start empty, the common memo stays.
    text("Txt_Memo4")->setPlainText(u"書きかけ"_qs);
    QFile::remove(txt(u"Memo0001.TXT"_qs));
    ASSERT_TRUE(memo->openDay(u"20260106"_qs));
    EXPECT_EQ(memo->day(), u"20260106");
    EXPECT_TRUE(text("Txt_Memo")->toPlainText().isEmpty());
    EXPECT_TRUE(text("Txt_Memo3")->toPlainText().isEmpty());
    EXPECT_EQ(text("Txt_Memo4")->toPlainText(), u"書きかけ");

    // Closing unloads: the next opening starts with all four boxes empty.
    memo->close();
    ASSERT_TRUE(memo->openDay(u"20260107"_qs));
    EXPECT_TRUE(text("Txt_Memo4")->toPlainText().isEmpty());
}

TEST_F(MemoWindow, SaveWithOnlyTheAfternoonText)
{
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    showAt(30, 45);
    QSignalSpy positions(memo->toolWindow(), &ToolWindow::positionRecorded);
    QSignalSpy changed(memo.get(), &Memo::notesChanged);
    QSignalSpy closed(memo.get(), &Memo::closed);
    text("Txt_Memo3")->setPlainText(u"歯医者"_qs);
    QTest::mouseClick(button("cmdSave"), Qt::LeftButton);

    EXPECT_EQ(bytes(u"20260105.TXT"_qs), QString(u"\r\n&%All\r\n&%AM\r\n歯医者\r\n"_qs).toUtf8());
    EXPECT_EQ(bytes(u"Memo0001.TXT"_qs), QByteArray("\r\n"));
    EXPECT_TRUE(store.hasNotes(u"20260105"_qs));
    EXPECT_FALSE(memo->isVisible());
    ASSERT_EQ(closed.count(), 1);
    ASSERT_GE(changed.count(), 1);
    ASSERT_GE(positions.count(), 1);
    EXPECT_EQ(positions.last().at(0).value<TwipsPos>(), (TwipsPos{45 * 15, 30 * 15}));
}

TEST_F(MemoWindow, SaveWithOnlyTheCommonMemoCreatesNoDayFile)
{
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    showAt(0, 0);
    text("Txt_Memo4")->setPlainText(u"買う物"_qs);
    memo->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(memo.get()));
    QTest::keyClick(text("Txt_Memo4"), Qt::Key_S, Qt::AltModifier); // the button's mnemonic
    EXPECT_TRUE(QTest::qWaitFor([&] { return !memo->isVisible(); }, 2000)); // an animated click
    EXPECT_FALSE(store.hasNotes(u"20260105"_qs));
    EXPECT_EQ(store.readCommonMemo(), std::optional<QString>(u"買う物"_qs));
}

TEST_F(MemoWindow, DeleteAndBack)
{
    ASSERT_TRUE(store.write(u"20260105"_qs, {u"x"_qs, {}, {}}, u"keep"_qs));
    const QByteArray common = bytes(u"Memo0001.TXT"_qs);
    const QByteArray day = bytes(u"20260105.TXT"_qs);

    // Back after editing writes nothing but reports the position.
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    showAt(10, 20);
    QSignalSpy positions(memo->toolWindow(), &ToolWindow::positionRecorded);
    text("Txt_Memo")->setPlainText(u"changed"_qs);
    text("Txt_Memo4")->setPlainText(u"changed"_qs);
    QTest::mouseClick(button("cmbesc"), Qt::LeftButton);
    EXPECT_FALSE(memo->isVisible());
    EXPECT_EQ(bytes(u"20260105.TXT"_qs), day);
    EXPECT_EQ(bytes(u"Memo0001.TXT"_qs), common);
    ASSERT_GE(positions.count(), 1);
    EXPECT_EQ(positions.last().at(0).value<TwipsPos>(), (TwipsPos{20 * 15, 10 * 15}));

    // Delete removes the day and leaves the common memo.
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    showAt(10, 20);
    QTest::mouseClick(button("cmbdel"), Qt::LeftButton);
    EXPECT_FALSE(memo->isVisible());
    EXPECT_FALSE(store.hasNotes(u"20260105"_qs));
    EXPECT_EQ(bytes(u"Memo0001.TXT"_qs), common);

    // Delete on a day without a file touches nothing.
    ASSERT_TRUE(memo->openDay(u"20260106"_qs));
    showAt(10, 20);
    QTest::mouseClick(button("cmbdel"), Qt::LeftButton);
    EXPECT_EQ(QDir(m_dir.path() + QStringLiteral("/txt")).entryList(QDir::Files),
              QStringList{u"Memo0001.TXT"_qs});
}

TEST_F(MemoWindow, KeysReportOnceAndEscClosesWithoutSaving)
{
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    showAt(0, 0);
    QSignalSpy positions(memo->toolWindow(), &ToolWindow::positionRecorded);
    QSignalSpy changed(memo.get(), &Memo::notesChanged);
    QPlainTextEdit* diary = text("Txt_Memo");
    QTest::keyClicks(diary, QStringLiteral("ab"));
    EXPECT_EQ(diary->toPlainText(), u"ab");
    EXPECT_EQ(positions.count(), 2);
    EXPECT_EQ(changed.count(), 2);

    // A key a button ignores travels up to the window but counts once.
    QTest::keyClick(button("cmdSave"), Qt::Key_F5);
    EXPECT_EQ(positions.count(), 3);

    QTest::keyClick(diary, Qt::Key_Escape);
    EXPECT_FALSE(memo->isVisible());
    EXPECT_FALSE(store.hasNotes(u"20260105"_qs));
    EXPECT_FALSE(QFile::exists(txt(u"Memo0001.TXT"_qs)));
}

TEST_F(MemoWindow, ClickingATabFocusesItsText)
{
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    showAt(0, 0);
    memo->activateWindow();
    QTabBar* bar = memo->findChild<QTabWidget*>(QStringLiteral("SSTab_Txt"))->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    EXPECT_EQ(memo->focusWidget(), text("Txt_Memo3"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
    EXPECT_EQ(memo->focusWidget(), text("Txt_Memo4"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(memo->focusWidget(), text("Txt_Memo"));
}

TEST_F(MemoWindow, DraggingAStripMovesTheWindow)
{
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    showAt(100, 100);
    const QPoint start = memo->pos();
    for (const char* name : {"lbl_Move", "lbl_Move3"}) {
        auto* tabs = memo->findChild<QTabWidget*>(QStringLiteral("SSTab_Txt"));
        auto* strip = memo->findChild<QLabel*>(QLatin1String(name));
        tabs->setCurrentWidget(strip->parentWidget());
        const QPoint before = memo->pos();
        QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(strip, QPoint(25, 15));
        QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(25, 15));
        EXPECT_EQ(memo->pos(), before + QPoint(20, 10)) << name;
        // Released: moving the mouse no longer drags.
        const QPoint after = memo->pos();
        QTest::mouseMove(strip, QPoint(40, 40));
        EXPECT_EQ(memo->pos(), after);
    }
    EXPECT_EQ(memo->pos(), start + QPoint(40, 20));

    // No snapping: a few pixels from the screen's corner it stays there.
    memo->move(100, 100);
    auto* strip = memo->findChild<QLabel*>(QStringLiteral("lbl_Move3"));
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(strip, QPoint(-92, -93));
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(-92, -93));
    EXPECT_EQ(memo->pos(), QPoint(3, 2));
}

TEST_F(MemoWindow, PlacementAndTopMost)
{
    memo->toolWindow()->placeFromTwips(1500, 3000, QRect(0, 20, 800, 580));
    EXPECT_EQ(memo->pos(), QPoint(200, 100));
    EXPECT_EQ(memo->toolWindow()->positionTwips(), (TwipsPos{1500, 3000}));
    memo->toolWindow()->placeFromTwips(0, 3000, QRect(0, 20, 800, 580));
    EXPECT_EQ(memo->pos(), QPoint(200, 20));

    showAt(30, 40);
    memo->toolWindow()->setTopMost(true);
    EXPECT_TRUE(memo->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(memo->isVisible());
    EXPECT_EQ(memo->pos(), QPoint(30, 40));
    memo->toolWindow()->setTopMost(false);
    EXPECT_FALSE(memo->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(memo->isVisible());
}

TEST_F(MemoWindow, ResizingSizesTheTabsAndEveryTextBoxByTheRule)
{
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    showAt(0, 0);
    auto* tabs = memo->findChild<QTabWidget*>(QStringLiteral("SSTab_Txt"));
    const char* names[] = {"Txt_Memo", "Txt_Memo2", "Txt_Memo3", "Txt_Memo4"};

    // 500 x 300 pixels = 7500 x 4500 twips: the tab control 7380 x 4365,
    // each text box 7380 x 4065.
    memo->resize(500, 300);
    EXPECT_EQ(tabs->geometry(), QRect(4, 4, 492, 291));
    for (const char* name : names) {
        EXPECT_EQ(text(name)->size(), QSize(492, 271)) << name;
        // The box fills its page: nothing of it is cut off.
        EXPECT_TRUE(text(name)->parentWidget()->rect().contains(text(name)->geometry()) || !text(name)->isVisible())
            << name;
    }
    const QWidget* page = text("Txt_Memo")->parentWidget();
    EXPECT_EQ(page->size(), QSize(492, 271));

    memo->resize(321, 187); // 4815 x 2805 twips
    EXPECT_EQ(tabs->size(), QSize(313, 178));
    for (const char* name : names)
        EXPECT_EQ(text(name)->size(), QSize(313, 158)) << name;

    // 60 pixels high = 900 twips: the tabs follow (over 660), the boxes do
    // not (not over 965).
    memo->resize(200, 60);
    EXPECT_EQ(tabs->size(), QSize(192, 51));
    for (const char* name : names)
        EXPECT_EQ(text(name)->size(), QSize(192, 158)) << name;

    // 40 x 8 pixels = 600 x 120 twips: at or under every threshold, nothing changes.
    memo->resize(8, 40);
    EXPECT_EQ(memo->size(), QSize(8, 40));
    EXPECT_EQ(tabs->size(), QSize(192, 51));
    for (const char* name : names)
        EXPECT_EQ(text(name)->size(), QSize(192, 158)) << name;

    // One pixel over each threshold: all of them follow again.
    memo->resize(9, 65); // 135 x 975 twips
    EXPECT_EQ(tabs->size(), QSize(1, 56));
    for (const char* name : names)
        EXPECT_EQ(text(name)->size(), QSize(1, 36)) << name;
}

TEST_F(MemoWindow, TheCornerGripResizesTheWindow)
{
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    showAt(10, 10);
    memo->resize(400, 250);
    auto* grip = memo->findChild<QSizeGrip*>(QStringLiteral("sizeGrip"));
    ASSERT_TRUE(grip);
    EXPECT_TRUE(grip->isVisible());
    EXPECT_EQ(grip->geometry().bottomRight(), memo->rect().bottomRight());

    const QPoint at = grip->rect().center();
    QTest::mousePress(grip, Qt::LeftButton, {}, at);
    QTest::mouseMove(grip, at + QPoint(60, 45));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, at + QPoint(60, 45));
    EXPECT_EQ(memo->size(), QSize(460, 295));
    EXPECT_EQ(memo->pos(), QPoint(10, 10));
    // (6900 - 120) / 15 and (4425 - 435) / 15
    EXPECT_EQ(text("Txt_Memo")->size(), QSize(452, 266));
    EXPECT_EQ(grip->geometry().bottomRight(), memo->rect().bottomRight());
}

TEST_F(MemoWindow, StripsNameTheDayAndTheCommonMemo)
{
    const auto strip = [&](const char* name) { return memo->findChild<QLabel*>(QLatin1String(name))->text(); };
    ASSERT_TRUE(memo->openDay(u"20261222"_qs));
    for (const char* name : {"lbl_Move", "lbl_Move2", "lbl_Move3"})
        EXPECT_EQ(strip(name), u"12月22日（火）") << name;
    EXPECT_EQ(strip("lbl_Move4"), u"共通メモ");

    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    EXPECT_EQ(strip("lbl_Move"), u"1月5日（月）");
    ASSERT_TRUE(memo->openDay(u"20240229"_qs));
    EXPECT_EQ(strip("lbl_Move3"), u"2月29日（木）");
    ASSERT_TRUE(memo->openDay(u"20260104"_qs));
    EXPECT_EQ(strip("lbl_Move2"), u"1月4日（日）");
    ASSERT_TRUE(memo->openDay(u"20260110"_qs));
    EXPECT_EQ(strip("lbl_Move2"), u"1月10日（土）");
    EXPECT_EQ(strip("lbl_Move4"), u"共通メモ");

    // A month alone names no day and changes nothing.
    EXPECT_FALSE(memo->openDay(u"202602"_qs));
    EXPECT_EQ(strip("lbl_Move"), u"1月10日（土）");
    EXPECT_TRUE(Memo::dayCaption(u"20260230"_qs).isEmpty());
}

TEST_F(MemoWindow, AFailedSaveKeepsTheWindowAndTheText)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("txt/Memo0001.TXT")); // blocks the common file
    ASSERT_TRUE(memo->openDay(u"20260105"_qs));
    showAt(0, 0);
    text("Txt_Memo4")->setPlainText(u"大事なメモ"_qs);
    QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
    EXPECT_TRUE(memo->isVisible());
    EXPECT_EQ(text("Txt_Memo4")->toPlainText(), u"大事なメモ");
    auto* box = memo->findChild<QMessageBox*>(QStringLiteral("memoFailure"));
    ASSERT_TRUE(box);
    box->close();
}
