#include "platform/QtTrayIcon.h"
#include "support/TestUtil.h"

#include <QPixmap>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QCursor>
#include <gtest/gtest.h>

using namespace yk;
using yk::test::spinUntil;

namespace {

QIcon someIcon()
{
    QPixmap p(16, 16);
    p.fill(Qt::red);
    return QIcon(p);
}

// A desktop whose panel appears after `appearsAfter` looks (never when negative).
struct Panel
{
    int appearsAfter = 0;
    int looks = 0;
    bool operator()()
    {
        ++looks;
        return appearsAfter >= 0 && looks > appearsAfter;
    }
};

constexpr TrayRetry kQuick{10, 5};

} // namespace

TEST(QtTrayIcon, ShownAtOnceWhenThePanelIsThere)
{
    Panel panel;
    QtTrayIcon tray(nullptr, std::ref(panel), kQuick);
    tray.show(someIcon(), QStringLiteral("Yomikaze v1.35"));
    EXPECT_TRUE(tray.isShown());
    EXPECT_FALSE(tray.isWaiting());
    auto* icon = tray.findChild<QSystemTrayIcon*>(QStringLiteral("trayIcon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("Yomikaze v1.35"));

    // Showing again changes the tip, it does not add a second icon.
    tray.show(someIcon(), QStringLiteral("other"));
    EXPECT_EQ(tray.findChildren<QSystemTrayIcon*>().size(), 1);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("other"));

    tray.hide();
    EXPECT_FALSE(tray.isShown());
    EXPECT_EQ(tray.findChildren<QSystemTrayIcon*>().size(), 0);
}

TEST(QtTrayIcon, APanelThatComesUpLaterStillGetsTheIcon)
{
    Panel panel{3};
    QtTrayIcon tray(nullptr, std::ref(panel), kQuick);
    QSignalSpy gaveUp(&tray, &TrayIcon::unavailable);
    tray.show(someIcon(), QStringLiteral("tip"));
    EXPECT_FALSE(tray.isShown());
    EXPECT_TRUE(tray.isWaiting());
    ASSERT_TRUE(spinUntil([&] { return tray.isShown(); }));
    EXPECT_EQ(panel.looks, 4);
    EXPECT_FALSE(tray.isWaiting());
    EXPECT_EQ(gaveUp.count(), 0);
    EXPECT_EQ(tray.findChild<QSystemTrayIcon*>()->toolTip(), QStringLiteral("tip"));
}

TEST(QtTrayIcon, WithoutAPanelItGivesUpOnceAfterItsRetries)
{
    Panel panel{-1};
    QtTrayIcon tray(nullptr, std::ref(panel), kQuick);
    QSignalSpy gaveUp(&tray, &TrayIcon::unavailable);
    tray.show(someIcon(), QStringLiteral("tip"));
    ASSERT_TRUE(spinUntil([&] { return gaveUp.count() > 0; }));
    EXPECT_EQ(panel.looks, 1 + kQuick.retries);
    EXPECT_FALSE(tray.isWaiting());
    EXPECT_FALSE(tray.isShown());
    QTest::qWait(50);
    EXPECT_EQ(panel.looks, 1 + kQuick.retries) << "no looks after giving up";
    EXPECT_EQ(gaveUp.count(), 1);
}

TEST(QtTrayIcon, HidingWhileWaitingStopsTheWait)
{
    Panel panel{-1};
    QtTrayIcon tray(nullptr, std::ref(panel), kQuick);
    QSignalSpy gaveUp(&tray, &TrayIcon::unavailable);
    tray.show(someIcon(), QStringLiteral("tip"));
    tray.hide();
    const int looks = panel.looks;
    QTest::qWait(100);
    EXPECT_EQ(panel.looks, looks);
    EXPECT_EQ(gaveUp.count(), 0);
    EXPECT_FALSE(tray.isShown());
}

TEST(QtTrayIcon, LeftButtonIsAClickRightButtonAsksForTheMenu)
{
    Panel panel;
    QtTrayIcon tray(nullptr, std::ref(panel), kQuick);
    tray.show(someIcon(), QStringLiteral("tip"));
    auto* icon = tray.findChild<QSystemTrayIcon*>(QStringLiteral("trayIcon"));
    ASSERT_NE(icon, nullptr);
    QSignalSpy clicks(&tray, &TrayIcon::clicked);
    QSignalSpy menus(&tray, &TrayIcon::menuRequested);

    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(menus.count(), 0);

    Q_EMIT icon->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(clicks.count(), 1);
    ASSERT_EQ(menus.count(), 1);
    EXPECT_EQ(menus.at(0).at(0).value<QPoint>(), QCursor::pos());

    // A double click is the first click again for the panel; nothing extra.
    Q_EMIT icon->activated(QSystemTrayIcon::DoubleClick);
    Q_EMIT icon->activated(QSystemTrayIcon::MiddleClick);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(menus.count(), 1);
}

TEST(QtTrayIcon, TheFactoryGivesTheQtIcon)
{
    auto tray = createTrayIcon();
    EXPECT_NE(dynamic_cast<QtTrayIcon*>(tray.get()), nullptr);
}
