#include "platform/GlobalHotKey.h"
#include "platform/x11/X11HotKey.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace yk;

// The X11 cases need the xcb platform plugin, but the test program starts
// offscreen. So GlobalHotKeyX11.UnderARealXServer starts a private Xvfb and
// runs this same binary again against it, with only the HotKeyUnderX11
// cases selected; they skip themselves in the ordinary run.

namespace {

constexpr const char* kChildFlag = "YK_HOTKEY_CHILD";

bool inChild()
{
    return qEnvironmentVariableIsSet(kChildFlag);
}

// A second X client: the "user's keyboard" and "another program".
class OtherClient
{
public:
    OtherClient()
        : m_dpy(XOpenDisplay(nullptr))
    {
    }
    ~OtherClient()
    {
        if (m_dpy)
            XCloseDisplay(m_dpy);
    }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    bool ok() const { return m_dpy != nullptr; }

    void tap(KeySym sym)
    {
        const KeyCode code = XKeysymToKeycode(m_dpy, sym);
        XTestFakeKeyEvent(m_dpy, code, True, 0);
        XTestFakeKeyEvent(m_dpy, code, False, 0);
        XSync(m_dpy, False);
    }

    void press(std::initializer_list<KeySym> held, KeySym key)
    {
        for (KeySym sym : held)
            XTestFakeKeyEvent(m_dpy, XKeysymToKeycode(m_dpy, sym), True, 0);
        tap(key);
        for (KeySym sym : held)
            XTestFakeKeyEvent(m_dpy, XKeysymToKeycode(m_dpy, sym), False, 0);
        XSync(m_dpy, False);
    }

    // Grabs Ctrl+Page Up with the given extra modifiers; false when refused.
    bool grab(unsigned int extra = 0)
    {
        return checked([&] {
            XGrabKey(m_dpy, pageUp(), ControlMask | extra, DefaultRootWindow(m_dpy), True, GrabModeAsync,
                     GrabModeAsync);
        });
    }
    void ungrab(unsigned int extra = 0)
    {
        XUngrabKey(m_dpy, pageUp(), ControlMask | extra, DefaultRootWindow(m_dpy));
        XSync(m_dpy, False);
    }

private:
    KeyCode pageUp() const { return XKeysymToKeycode(m_dpy, XK_Prior); }

    template <typename F>
    bool checked(F request)
    {
        s_failed = false;
        XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) {
            s_failed = true;
            return 0;
        });
        request();
        XSync(m_dpy, False);
        XSetErrorHandler(previous);
        return !s_failed;
    }

    static inline bool s_failed = false;
    Display* m_dpy;
};

// Presses, then counts the activations. A press that should fire may take a
// while on a busy machine; one that should not gets a fixed grace period.
int activationsAfter(GlobalHotKey& key, const std::function<void()>& press, bool expectOne = true)
{
    QSignalSpy spy(&key, &GlobalHotKey::activated);
    press();
    if (expectOne)
        spy.wait(5000);
    QTest::qWait(expectOne ? 150 : 400); // room for a duplicate or a stray
    return int(spy.count());
}

} // namespace

TEST(GlobalHotKey, WithoutX11ThereIsNoHotKeyAndNoCrash)
{
    if (X11HotKey::platformIsX11())
        GTEST_SKIP() << "running on X11";
    auto key = createGlobalHotKey();
    EXPECT_FALSE(key->isSupported());
    EXPECT_FALSE(key->registerHotKey());
    EXPECT_FALSE(key->isRegistered());
    key->unregisterHotKey();

    // The X11 class itself must not touch X either.
    X11HotKey x11;
    EXPECT_FALSE(x11.isSupported());
    EXPECT_FALSE(x11.registerHotKey());
    EXPECT_FALSE(x11.isRegistered());
    x11.unregisterHotKey();
}

TEST(GlobalHotKeyX11, UnderARealXServer)
{
    if (inChild())
        GTEST_SKIP() << "this is the child run";
    const QString xvfbPath = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfbPath.isEmpty())
        GTEST_SKIP() << "Xvfb is not installed";

    // -displayfd lets the server pick a free display and tell us its number.
    QProcess xvfb;
    xvfb.setProcessChannelMode(QProcess::SeparateChannels);
    xvfb.start(xvfbPath, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                          QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                          QStringLiteral("640x480x24")});
    ASSERT_TRUE(xvfb.waitForStarted(10000));
    QByteArray number;
    for (int i = 0; i < 100 && !number.contains('\n'); ++i) {
        xvfb.waitForReadyRead(200);
        number += xvfb.readAllStandardOutput();
    }
    number = number.trimmed();
    ASSERT_FALSE(number.isEmpty()) << xvfb.readAllStandardError().constData();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(number));
    env.insert(QString::fromLatin1(kChildFlag), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=HotKeyUnderX11.*")});
    const bool finished = child.waitForFinished(120000);
    const QByteArray output = child.readAll();
    xvfb.terminate();
    xvfb.waitForFinished(5000);

    ASSERT_TRUE(finished) << output.constData();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.constData();
    EXPECT_EQ(child.exitCode(), 0) << output.constData();
    // Make sure the cases really ran rather than skipping.
    EXPECT_TRUE(output.contains("[  PASSED  ] 4 tests.")) << output.constData();
    EXPECT_FALSE(output.contains("SKIPPED")) << output.constData();
}

class HotKeyUnderX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!inChild())
            GTEST_SKIP() << "runs inside the X server of GlobalHotKeyX11.UnderARealXServer";
        ASSERT_TRUE(X11HotKey::platformIsX11()) << qPrintable(QGuiApplication::platformName());
        ASSERT_TRUE(other.ok());
        key = createGlobalHotKey();
        ASSERT_TRUE(key->isSupported());
    }

    void ctrlPageUp() { other.press({XK_Control_L}, XK_Prior); }

    OtherClient other;
    std::unique_ptr<GlobalHotKey> key;
};

TEST_F(HotKeyUnderX11, CtrlPageUpFiresOnceAndOtherCombinationsDoNot)
{
    ASSERT_TRUE(key->registerHotKey());
    EXPECT_TRUE(key->isRegistered());
    EXPECT_EQ(activationsAfter(*key, [&] { ctrlPageUp(); }), 1);
    EXPECT_EQ(activationsAfter(*key, [&] { other.tap(XK_Prior); }, false), 0);
    EXPECT_EQ(activationsAfter(*key, [&] { other.press({XK_Control_L, XK_Shift_L}, XK_Prior); }, false), 0);
    EXPECT_EQ(activationsAfter(*key, [&] { other.press({XK_Control_L}, XK_Next); }, false), 0);

    // With the lock keys on the combination still works.
    other.tap(XK_Caps_Lock);
    EXPECT_EQ(activationsAfter(*key, [&] { ctrlPageUp(); }), 1);
    other.tap(XK_Num_Lock);
    EXPECT_EQ(activationsAfter(*key, [&] { ctrlPageUp(); }), 1);
    other.tap(XK_Caps_Lock);
    EXPECT_EQ(activationsAfter(*key, [&] { ctrlPageUp(); }), 1);
    other.tap(XK_Num_Lock);
}

TEST_F(HotKeyUnderX11, RegisteringAgainReplacesTheFirstRegistration)
{
    ASSERT_TRUE(key->registerHotKey());
    ASSERT_TRUE(key->registerHotKey());
    EXPECT_EQ(activationsAfter(*key, [&] { ctrlPageUp(); }), 1);
}

TEST_F(HotKeyUnderX11, UnregisterReleasesTheKeyForOthers)
{
    ASSERT_TRUE(key->registerHotKey());
    EXPECT_FALSE(other.grab()) << "the server should refuse a second grab while we hold it";
    key->unregisterHotKey();
    EXPECT_FALSE(key->isRegistered());
    EXPECT_EQ(activationsAfter(*key, [&] { ctrlPageUp(); }, false), 0);
    EXPECT_TRUE(other.grab());
    other.ungrab();
    key->unregisterHotKey(); // twice is harmless
}

TEST_F(HotKeyUnderX11, KeyTakenByAnotherProgramIsReportedAndNothingIsLeftGrabbed)
{
    ASSERT_TRUE(other.grab());
    EXPECT_FALSE(key->registerHotKey());
    EXPECT_FALSE(key->isRegistered());
    other.ungrab();

    // Another program holding only the Caps Lock variant still makes the
    // registration fail, and our other variants are released again.
    ASSERT_TRUE(other.grab(LockMask));
    EXPECT_FALSE(key->registerHotKey());
    EXPECT_TRUE(other.grab()) << "the plain variant should have been released";
    other.ungrab();
    other.ungrab(LockMask);

    // Once free, the key can be had.
    EXPECT_TRUE(key->registerHotKey());
    EXPECT_EQ(activationsAfter(*key, [&] { ctrlPageUp(); }), 1);
}
