#include "shell/PopupMenu.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace yk;

namespace {

struct Expected
{
    const char* name;
    const char16_t* caption; // nullptr for a separator
    bool visible;
};

// The root menu, top to bottom, as it is before any refresh.
const Expected kRoot[] = {
    {"mnu_Apr1", u"1", false},   {"mnu_Apr2", u"2", false},  {"mnu_Apr3", u"3", false},
    {"mnu_Apr4", u"4", false},   {"mnu_Apr5", u"5", false},  {"mnu_Apr6", u"6", false},
    {"mnu_Apr7", u"7", false},   {"mnu_Apr8", u"8", false},  {"mnu_Apr9", u"9", false},
    {"mnu_Apr10", u"10", false}, {"mnu_Ber5", nullptr, false},
    {"mnu_Haikei", u"背景登録＆選択(&P)", true},
    {"mnu_sentaku", u"背景選択(&S)", true},
    {"mnu_Ber3", nullptr, true},
    {"mnu_Timer", u"タイマー/各種登録(&T)", true},
    {"mnu_Bar7", nullptr, true},
    {"mnu_P_List", u"プレイリスト表示/非表示(&L)", true},
    {"mnu_P_DelAll", u"プレイリスト消去(&D)", true},
    {"mnu_Movie_Full", u"フルサイズ　ムービー(&F)", true},
    {"mnu_ber2", nullptr, true},
    {"mnu_Top", u"常にトップに表示(&W)", true},
    {"mnu_Login", u"ログイン時に起動", true},
    {"mnu_Color", u"色彩設定(&C)", false},
    {"mnu_Properties", u"バージョン情報(&V)", true},
    {"mnu_Ber", nullptr, false},
    {"mnu_DB", u"週間タイマー", false},
    {"mnu_Ber0", nullptr, false},
    {"mnu_Help", u"Reedme(&H)", true},
    {"mnu_Ber6", nullptr, false},
    {"mnu_End", u"終了(&E)", true},
};

const Expected kSentaku[] = {
    {"mnu_No1", u"№１(&1)", true},  {"mnu_No2", u"№２(&2)", true},  {"mnu_No3", u"№３(&3)", true},
    {"mnu_No4", u"№４(&4)", true},  {"mnu_No5", u"№５(&5)", true},  {"mnu_No6", u"№６(&6)", true},
    {"mnu_No7", u"№７(&7)", true},  {"mnu_No8", u"№８(&8)", true},  {"mnu_No9", u"№９(&9)", true},
    {"mnu_No10", u"№10(&0)", true}, {"mnu_No11", u"№11(&-)", true}, {"mnu_No12", u"№12(&^)", true},
    {"mnu_Ber4", nullptr, true},
    {"mnu_Mon", u"月毎変更(&M)", true},
    {"mnu_Ran", u"ランダム(&R)", true},
    {"mnu_Loop", u"起動時毎変更(&L)", true},
};

const char* const kFifteen[] = {"mnu_No1", "mnu_No2",  "mnu_No3",  "mnu_No4",  "mnu_No5",
                                "mnu_No6", "mnu_No7",  "mnu_No8",  "mnu_No9",  "mnu_No10",
                                "mnu_No11", "mnu_No12", "mnu_Mon", "mnu_Ran", "mnu_Loop"};

template <size_t N>
void expectMenu(const QMenu* menu, const Expected (&expected)[N])
{
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), qsizetype(N));
    for (size_t i = 0; i < N; ++i) {
        SCOPED_TRACE(expected[i].name);
        const QAction* a = actions[qsizetype(i)];
        EXPECT_EQ(a->objectName(), QLatin1String(expected[i].name));
        EXPECT_EQ(a->isSeparator(), expected[i].caption == nullptr);
        if (expected[i].caption) {
            EXPECT_EQ(a->text(), QString::fromUtf16(expected[i].caption));
        }
        EXPECT_EQ(a->isVisible(), expected[i].visible);
        EXPECT_FALSE(a->isChecked());
        EXPECT_TRUE(a->shortcut().isEmpty());
    }
}

// Names of the visible items and separators, in menu order.
QStringList visibleNames(const QMenu* menu)
{
    QStringList names;
    for (const QAction* a : menu->actions()) {
        if (a->isVisible())
            names << a->objectName();
    }
    return names;
}

QStringList checkedNames(const PopupMenu& m)
{
    QStringList names;
    for (const QString& n : m.itemNames()) {
        if (m.item(n)->isChecked())
            names << n;
    }
    return names;
}

} // namespace

TEST(PopupMenu, DesignStructureNamesCaptionsAndOrder)
{
    PopupMenu m;
    EXPECT_EQ(m.menu()->objectName(), u"mnu_Menu");
    expectMenu(m.menu(), kRoot);

    const QAction* sentaku = m.item(QStringLiteral("mnu_sentaku"));
    ASSERT_TRUE(sentaku && sentaku->menu());
    EXPECT_EQ(sentaku->menu()->objectName(), u"mnu_sentaku");
    expectMenu(sentaku->menu(), kSentaku);

    EXPECT_FALSE(m.item(QStringLiteral("mnu_Color"))->isEnabled());
    EXPECT_EQ(m.itemNames().size(), qsizetype(std::size(kRoot) + std::size(kSentaku)));
    // Every item is reachable by name from the menu itself.
    for (const QString& n : m.itemNames())
        EXPECT_EQ(m.menu()->findChild<QAction*>(n), m.item(n)) << n.toStdString();
}

TEST(PopupMenu, WithNoLauncherEntryTheMenuStartsWithTheBackgroundItem)
{
    PopupMenu m;
    m.applyLauncherMenu(LauncherMenu{});
    const QStringList shown = visibleNames(m.menu());
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first(), u"mnu_Haikei");
    EXPECT_FALSE(shown.contains(QStringLiteral("mnu_Color")));
    EXPECT_FALSE(shown.contains(QStringLiteral("mnu_DB")));
}

TEST(PopupMenu, LauncherRefreshShowsRegisteredEntriesInOrderAboveOneSeparator)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::array<QString, 26> regList;
    const auto make = [&](int entry, const QString& name) {
        const QString path = dir.filePath(name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        regList[size_t(entry)] = path;
    };
    make(1, QStringLiteral("memo.exe"));
    make(4, QStringLiteral("R&D tool.exe"));
    regList[7] = dir.filePath(QStringLiteral("gone.exe")); // registered, since deleted

    PopupMenu m;
    m.applyLauncherMenu(launcherMenu(regList));
    QStringList shown = visibleNames(m.menu());
    EXPECT_EQ(shown.mid(0, 4), (QStringList{QStringLiteral("mnu_Apr2"), QStringLiteral("mnu_Apr5"),
                                            QStringLiteral("mnu_Ber5"), QStringLiteral("mnu_Haikei")}));
    EXPECT_EQ(m.item(QStringLiteral("mnu_Apr2"))->text(), u"memo");
    // The file name shows as it is; the '&' is not an accelerator mark.
    EXPECT_EQ(m.item(QStringLiteral("mnu_Apr5"))->text(), u"R&&D tool");

    // Removing the programs hides the items and the separator again.
    QFile::remove(regList[1]);
    QFile::remove(regList[4]);
    m.applyLauncherMenu(launcherMenu(regList));
    shown = visibleNames(m.menu());
    EXPECT_EQ(shown.first(), u"mnu_Haikei");
}

TEST(PopupMenu, BackgroundCheckMarksFollowTheModeOnly)
{
    PopupMenu m;
    m.checkBackgroundSlot(5);
    EXPECT_EQ(checkedNames(m), QStringList{QStringLiteral("mnu_No5")});
    m.checkBackground(BackMenuItem::Mon);
    EXPECT_EQ(checkedNames(m), QStringList{QStringLiteral("mnu_Mon")});
    m.checkBackground(BackMenuItem::None); // unknown mode: marks stay
    EXPECT_EQ(checkedNames(m), QStringList{QStringLiteral("mnu_Mon")});
    m.checkBackground(BackMenuItem::Loop);
    EXPECT_EQ(checkedNames(m), QStringList{QStringLiteral("mnu_Loop")});
    m.checkBackgroundSlot(12);
    EXPECT_EQ(checkedNames(m), QStringList{QStringLiteral("mnu_No12")});

    // Clearing the fifteen leaves the other marks alone.
    m.setTopChecked(true);
    m.setMovieFullChecked(true);
    m.setPlayListChecked(true);
    m.setLoginChecked(true);
    m.checkBackground(BackMenuItem::Ran);
    m.clearBackgroundChecks();
    EXPECT_EQ(checkedNames(m), (QStringList{QStringLiteral("mnu_P_List"), QStringLiteral("mnu_Movie_Full"),
                                            QStringLiteral("mnu_Top"), QStringLiteral("mnu_Login")}));
    for (const char* n : kFifteen)
        EXPECT_TRUE(m.item(QLatin1String(n))->isCheckable()) << n;
}

TEST(PopupMenu, ChoosingAnItemReportsItsNameAndLeavesItsMarkToTheOwner)
{
    PopupMenu m;
    QSignalSpy spy(&m, &PopupMenu::triggered);
    m.item(QStringLiteral("mnu_Top"))->trigger();
    m.item(QStringLiteral("mnu_No3"))->trigger();
    m.item(QStringLiteral("mnu_Apr10"))->trigger();
    ASSERT_EQ(spy.size(), 3);
    EXPECT_EQ(spy[0][0].toString(), u"mnu_Top");
    EXPECT_EQ(spy[1][0].toString(), u"mnu_No3");
    EXPECT_EQ(spy[2][0].toString(), u"mnu_Apr10");
    EXPECT_FALSE(m.item(QStringLiteral("mnu_Top"))->isChecked());
    EXPECT_FALSE(m.item(QStringLiteral("mnu_No3"))->isChecked());

    m.setTopChecked(true);
    m.item(QStringLiteral("mnu_Top"))->trigger();
    EXPECT_TRUE(m.item(QStringLiteral("mnu_Top"))->isChecked());

    // The login item's mark is the owner's too, and separate from mnu_Top's.
    m.item(QStringLiteral("mnu_Login"))->trigger();
    EXPECT_EQ(spy.last()[0].toString(), u"mnu_Login");
    EXPECT_FALSE(m.item(QStringLiteral("mnu_Login"))->isChecked());
    m.setLoginChecked(true);
    EXPECT_TRUE(m.item(QStringLiteral("mnu_Login"))->isChecked());
    m.setTopChecked(false);
    EXPECT_TRUE(m.item(QStringLiteral("mnu_Login"))->isChecked());

    EXPECT_EQ(PopupMenu::launcherEntryOf(QStringLiteral("mnu_Apr1")), 0);
    EXPECT_EQ(PopupMenu::launcherEntryOf(QStringLiteral("mnu_Apr10")), 9);
    EXPECT_EQ(PopupMenu::launcherEntryOf(QStringLiteral("mnu_Top")), -1);
    EXPECT_EQ(PopupMenu::backgroundSlotOf(QStringLiteral("mnu_No12")), 12);
    EXPECT_EQ(PopupMenu::backgroundSlotOf(QStringLiteral("mnu_No13")), 0);
    EXPECT_EQ(PopupMenu::backgroundSlotOf(QStringLiteral("mnu_Mon")), 0);
}

TEST(PopupMenu, PopupReturnsAtOnceAndAcceleratorsChooseItems)
{
    PopupMenu m;
    QSignalSpy spy(&m, &PopupMenu::triggered);
    m.popup(QPoint(40, 40));
    EXPECT_TRUE(m.menu()->isVisible());
    EXPECT_TRUE(spy.isEmpty());
    QTest::keyClick(m.menu(), Qt::Key_V);
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toString(), u"mnu_Properties");
    EXPECT_FALSE(m.menu()->isVisible());
}
