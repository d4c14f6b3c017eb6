#include "calendar/Memo.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
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
    QSignalSpy positions(memo.get(), &Memo::positionReport);
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
    EXPECT_EQ(positions.last().at(0).toInt(), 45 * 15);
    EXPECT_EQ(positions.last().at(1).toInt(), 30 * 15);
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
    QSignalSpy positions(memo.get(), &Memo::positionReport);
    text("Txt_Memo")->setPlainText(u"changed"_qs);
    text("Txt_Memo4")->setPlainText(u"changed"_qs);
    QTest::mouseClick(button("cmbesc"), Qt::LeftButton);
    EXPECT_FALSE(memo->isVisible());
    EXPECT_EQ(bytes(u"20260105.TXT"_qs), day);
    EXPECT_EQ(bytes(u"Memo0001.TXT"_qs), common);
    ASSERT_GE(positions.count(), 1);
    EXPECT_EQ(positions.last().at(0).toInt(), 20 * 15);

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
    QSignalSpy positions(memo.get(), &Memo::positionReport);
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
}

TEST_F(MemoWindow, PlacementResizeAndTopMost)
{
    memo->placeTwips(1500, 3000);
    EXPECT_EQ(memo->pos(), QPoint(200, 100));
    EXPECT_EQ(memo->topTwips(), 1500);
    EXPECT_EQ(memo->leftTwips(), 3000);

    showAt(0, 0);
    memo->resize(500, 300);
    auto* tabs = memo->findChild<QTabWidget*>(QStringLiteral("SSTab_Txt"));
    EXPECT_EQ(tabs->size(), QSize(500 - 8, 300 - 9));
    EXPECT_LE(text("Txt_Memo")->height(), 300 - 9);
    EXPECT_GT(text("Txt_Memo")->height(), 150);

    memo->setTopMost(true);
    EXPECT_TRUE(memo->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(memo->isVisible());
    memo->setTopMost(false);
    EXPECT_FALSE(memo->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(memo->isVisible());
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
