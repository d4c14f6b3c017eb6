#include "platform/DisplayPlatform.h"
#include "platform/UserEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>

using namespace yk;

namespace {

DisplayEnvironment env(QByteArray wayland, QByteArray session, QByteArray display, QByteArray qpa = {})
{
    return {std::move(wayland), std::move(session), std::move(display), std::move(qpa)};
}

} // namespace

TEST(DisplayPlatform, AWaylandSessionWithAnXServerRunsThroughX)
{
    for (const DisplayEnvironment& e : {env("wayland-0", "wayland", ":0"), env("wayland-0", "", ":1"),
                                        env("", "wayland", ":0"), env("", "Wayland", ":0")}) {
        const DisplayChoice c = chooseDisplayPlatform(e);
        EXPECT_EQ(c.forcePlatform, QByteArray("xcb")) << e.waylandDisplay.constData() << e.sessionType.constData();
        EXPECT_FALSE(c.warnLimited);
    }
}

TEST(DisplayPlatform, AWaylandSessionWithoutXRunsAndWarns)
{
    for (const DisplayEnvironment& e : {env("wayland-0", "wayland", ""), env("", "wayland", "")}) {
        const DisplayChoice c = chooseDisplayPlatform(e);
        EXPECT_TRUE(c.forcePlatform.isEmpty());
        EXPECT_TRUE(c.warnLimited);
    }
    // Qt itself can then open the session: its Wayland platform is there.
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    EXPECT_FALSE(platforms.entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty())
        << qPrintable(platforms.path());
}

TEST(DisplayPlatform, AnX11SessionIsLeftAlone)
{
    for (const DisplayEnvironment& e : {env("", "x11", ":0"), env("", "", ":0"), env("", "tty", "")}) {
        const DisplayChoice c = chooseDisplayPlatform(e);
        EXPECT_TRUE(c.forcePlatform.isEmpty());
        EXPECT_FALSE(c.warnLimited);
    }
}

TEST(DisplayPlatform, TheUsersOwnChoiceOfPlatformStands)
{
    DisplayChoice c = chooseDisplayPlatform(env("wayland-0", "wayland", ":0", "wayland"));
    EXPECT_TRUE(c.forcePlatform.isEmpty());
    EXPECT_TRUE(c.warnLimited) << "chosen Wayland still lacks the features";

    c = chooseDisplayPlatform(env("wayland-0", "wayland", "", "wayland;xcb"));
    EXPECT_TRUE(c.forcePlatform.isEmpty());
    EXPECT_TRUE(c.warnLimited);

    c = chooseDisplayPlatform(env("wayland-0", "wayland", ":0", "xcb"));
    EXPECT_TRUE(c.forcePlatform.isEmpty());
    EXPECT_FALSE(c.warnLimited);

    c = chooseDisplayPlatform(env("wayland-0", "wayland", "", "offscreen"));
    EXPECT_TRUE(c.forcePlatform.isEmpty());
    EXPECT_FALSE(c.warnLimited);
}

// What main() does before the application exists, on this process.
class AppliedChoice : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : kNames) {
            saved.push_back(qgetenv(name));
            wasSet.push_back(qEnvironmentVariableIsSet(name));
        }
    }
    void TearDown() override
    {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            if (wasSet[i])
                qputenv(kNames[i], saved[i]);
            else
                qunsetenv(kNames[i]);
        }
    }
    static constexpr const char* kNames[] = {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DISPLAY", "QT_QPA_PLATFORM"};
    std::vector<QByteArray> saved;
    std::vector<bool> wasSet;
};

TEST_F(AppliedChoice, ForcesXForUsButNotForTheProgramsWeStart)
{
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    qputenv("XDG_SESSION_TYPE", "wayland");
    qputenv("DISPLAY", ":0");
    qunsetenv("QT_QPA_PLATFORM");
    rememberUserEnvironment();
    const DisplayChoice c = applyDisplayPlatform();
    EXPECT_EQ(c.forcePlatform, QByteArray("xcb"));
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb"));
    EXPECT_FALSE(userEnvironment().contains(QStringLiteral("QT_QPA_PLATFORM")));
}

TEST_F(AppliedChoice, NothingChangesOutsideWayland)
{
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("XDG_SESSION_TYPE", "x11");
    qputenv("DISPLAY", ":0");
    qunsetenv("QT_QPA_PLATFORM");
    const DisplayChoice c = applyDisplayPlatform();
    EXPECT_FALSE(c.warnLimited);
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
}

TEST(LimitedDesktopNotice, SaysWhatIsMissingWithoutBlockingAndGoesAwayWhenClosed)
{
    QWidget window;
    window.show();
    QPointer<QMessageBox> box = showLimitedDesktopNotice(&window);
    ASSERT_FALSE(box.isNull());
    EXPECT_EQ(window.findChild<QMessageBox*>(QStringLiteral("limitedDesktopNotice")), box.data());
    EXPECT_TRUE(box->isVisible()) << "shown without waiting for an answer";
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->text(), limitedDesktopText());
    for (const char* word : {"Wayland", "移動", "吸着", "位置", "ホットキー"})
        EXPECT_TRUE(box->text().contains(QString::fromUtf8(word))) << word;
    box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
}
