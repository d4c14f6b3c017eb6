#include "platform/linux/Login1SessionEnd.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include "support/PrivateBus.h"
#include "support/TestUtil.h"

using namespace yk;
using yk::test::spinUntil;

namespace {

// A stand-in login manager: answers CanPowerOff as told and records every
// call, with whether it was allowed to ask the user for a password.
class FakeLogin1 : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QString canAnswer = QStringLiteral("yes");
    bool refusePowerOff = false;
    bool hang = false;
    QStringList calls;
    QList<bool> powerOffInteractive;
    QList<bool> authorizationAllowed;

public Q_SLOTS:
    QString CanPowerOff()
    {
        calls << QStringLiteral("CanPowerOff");
        if (hang)
            setDelayedReply(true); // and never answer
        return canAnswer;
    }
    void PowerOff(bool interactive)
    {
        calls << QStringLiteral("PowerOff");
        powerOffInteractive << interactive;
        authorizationAllowed << message().isInteractiveAuthorizationAllowed();
        if (refusePowerOff)
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("Operation not permitted"));
    }
};

// The login manager stand-in on a private bus.
class Login1Bus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.start()) << "dbus-daemon is missing";
        client = &bus.connect(QStringLiteral("client"));
        ASSERT_TRUE(client->isConnected());
    }

    void TearDown() override
    {
        if (service)
            service->unregisterObject(QStringLiteral("/org/freedesktop/login1"));
        bus.stop();
    }

    // Puts the stand-in on the bus under the login manager's name.
    void offerLogin1()
    {
        service = &bus.connect(QStringLiteral("login1"));
        ASSERT_TRUE(service->isConnected());
        ASSERT_TRUE(service->registerObject(QStringLiteral("/org/freedesktop/login1"), &login1,
                                            QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service->registerService(QStringLiteral("org.freedesktop.login1")));
    }

    // Asks for the power-off and waits for the answer.
    SessionEnd::Result endSession(Login1SessionEnd& end)
    {
        std::optional<SessionEnd::Result> result;
        QElapsedTimer took;
        took.start();
        end.endSession([&](const SessionEnd::Result& r) { result = r; });
        EXPECT_LT(took.elapsed(), 100) << "the UI thread waited for the bus";
        EXPECT_FALSE(result.has_value()) << "answered inside the call";
        EXPECT_TRUE(spinUntil([&] { return result.has_value(); }, 5000));
        return result.value_or(SessionEnd::Result{SessionEnd::Outcome::Accepted, QStringLiteral("no answer")});
    }

    yk::test::PrivateBus bus;
    QDBusConnection* client = nullptr;
    QDBusConnection* service = nullptr;
    FakeLogin1 login1;
};

} // namespace

TEST_F(Login1Bus, AskedFirstThenPoweredOffWithoutAPasswordDialog)
{
    offerLogin1();
    Login1SessionEnd end(*client);
    const SessionEnd::Result result = endSession(end);
    EXPECT_EQ(result.outcome, SessionEnd::Outcome::Accepted);
    EXPECT_EQ(login1.calls, QStringList({QStringLiteral("CanPowerOff"), QStringLiteral("PowerOff")}));
    EXPECT_EQ(login1.powerOffInteractive, QList<bool>({false}));
    EXPECT_EQ(login1.authorizationAllowed, QList<bool>({false}));

    std::optional<bool> can;
    end.canEndSession([&](bool yes) { can = yes; });
    ASSERT_TRUE(spinUntil([&] { return can.has_value(); }));
    EXPECT_TRUE(*can);
    EXPECT_EQ(login1.calls.count(QStringLiteral("PowerOff")), 1) << "asking is not powering off";
}

TEST_F(Login1Bus, ANoOrAChallengeIsARefusalAndNothingIsPoweredOff)
{
    offerLogin1();
    Login1SessionEnd end(*client);
    for (const char* answer : {"no", "challenge", "na"}) {
        login1.canAnswer = QString::fromLatin1(answer);
        const SessionEnd::Result result = endSession(end);
        EXPECT_EQ(result.outcome, SessionEnd::Outcome::Refused) << answer;
        EXPECT_TRUE(result.detail.contains(QString::fromLatin1(answer))) << answer;
        std::optional<bool> can;
        end.canEndSession([&](bool yes) { can = yes; });
        ASSERT_TRUE(spinUntil([&] { return can.has_value(); }));
        EXPECT_FALSE(*can) << answer;
    }
    EXPECT_FALSE(login1.calls.contains(QStringLiteral("PowerOff")));
}

TEST_F(Login1Bus, APowerOffErrorIsARefusalWithTheManagersWords)
{
    offerLogin1();
    login1.refusePowerOff = true;
    Login1SessionEnd end(*client);
    const SessionEnd::Result result = endSession(end);
    EXPECT_EQ(result.outcome, SessionEnd::Outcome::Refused);
    EXPECT_EQ(result.detail, QStringLiteral("Operation not permitted"));
    EXPECT_EQ(login1.calls.count(QStringLiteral("PowerOff")), 1);
}

TEST_F(Login1Bus, NoLoginManagerOrNoBusIsReportedUnavailable)
{
    Login1SessionEnd end(*client);
    EXPECT_EQ(endSession(end).outcome, SessionEnd::Outcome::Unavailable);
    std::optional<bool> can;
    end.canEndSession([&](bool yes) { can = yes; });
    ASSERT_TRUE(spinUntil([&] { return can.has_value(); }));
    EXPECT_FALSE(*can);

    const QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                                QStringLiteral("yk-nowhere"));
    ASSERT_FALSE(none.isConnected());
    Login1SessionEnd nowhere(none);
    EXPECT_EQ(endSession(nowhere).outcome, SessionEnd::Outcome::Unavailable);
    QDBusConnection::disconnectFromBus(QStringLiteral("yk-nowhere"));
}

TEST_F(Login1Bus, AHungManagerNeverHoldsUpTheCallerAndADeadServiceNeverCallsBack)
{
    offerLogin1();
    login1.hang = true;
    bool called = false;
    {
        Login1SessionEnd end(*client);
        QElapsedTimer took;
        took.start();
        end.endSession([&](const SessionEnd::Result&) { called = true; });
        EXPECT_LT(took.elapsed(), 100);
        ASSERT_TRUE(spinUntil([&] { return login1.calls.size() == 1; }));
        EXPECT_FALSE(called);
    }
    // The service is gone; its pending answer must not reach the callback.
    login1.hang = false;
    spinUntil([] { return false; }, 100);
    EXPECT_FALSE(called);
}

TEST(SessionEndFactory, ThisSystemAsksTheLoginManager)
{
    // Made without a connection: nothing reaches the system bus here.
    const auto end = createSessionEnd();
    EXPECT_NE(dynamic_cast<Login1SessionEnd*>(end.get()), nullptr);
}

#include "session_end_test.moc"
