// Class1 on the desktop backend, against a stand-in for logind on the
// private bus, which the system bus address points at as well.
#include "Class1.h"
#include "PeerProcess.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <gtest/gtest.h>

#include <optional>

#include <unistd.h>

using namespace qm;
using qm::test::PeerProcess;

namespace {

const QString kLogin1 = QStringLiteral("org.freedesktop.login1");

QString busId(const QDBusConnection& bus)
{
    const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                                       QStringLiteral("/org/freedesktop/DBus"),
                                                                       QStringLiteral("org.freedesktop.DBus"),
                                                                       QStringLiteral("GetId")),
                                        QDBus::Block, 5000);
    return reply.arguments().isEmpty() ? QString() : reply.arguments().constFirst().toString();
}

// Sets XDG_SESSION_ID, or removes it, for one scope.
class SessionIdVariable {
public:
    explicit SessionIdVariable(const std::optional<QByteArray>& value)
    {
        if (value)
            qputenv(kName, *value);
        else
            qunsetenv(kName);
    }
    ~SessionIdVariable()
    {
        if (saved_)
            qputenv(kName, *saved_);
        else
            qunsetenv(kName);
    }
    SessionIdVariable(const SessionIdVariable&) = delete;
    SessionIdVariable& operator=(const SessionIdVariable&) = delete;

private:
    static constexpr const char* kName = "XDG_SESSION_ID";
    std::optional<QByteArray> saved_ = qEnvironmentVariableIsSet(kName) ? std::optional(qgetenv(kName)) : std::nullopt;
};

class DesktopSessionTest : public testing::Test {
protected:
    void SetUp() override
    {
        // The requests below must land on the stand-in, never on a real logind.
        const QDBusConnection system = QDBusConnection::systemBus();
        ASSERT_TRUE(system.isConnected());
        const QString id = busId(system);
        ASSERT_FALSE(id.isEmpty());
        ASSERT_EQ(id, busId(QDBusConnection::sessionBus())) << "the system bus is not the tests' private bus";

        login1_ = std::make_unique<PeerProcess>(QStringList{QStringLiteral("login1")}, kLogin1);
        ASSERT_TRUE(login1_->ready());
    }

    std::unique_ptr<PeerProcess> login1_;
};

struct OptionCase {
    int32_t option;
    QStringList calls;
};

TEST_F(DesktopSessionTest, ShutDownAndPowerOffPowerOffAndRestartReboots)
{
    const OptionCase cases[] = {
        {1, {"PowerOff non-interactive"}},
        {8, {"PowerOff non-interactive"}},
        {2, {"Reboot non-interactive"}},
        {3, {}},
        {4, {}},
        {-1, {}},
    };
    Class1 session(DesktopSession());
    for (const OptionCase& c : cases) {
        SCOPED_TRACE(c.option);
        login1_->reset();
        EXPECT_EQ(session.ExitWindows(c.option), "") << "accepted, or nothing to ask";
        EXPECT_EQ(login1_->calls(), c.calls);
    }
}

struct LogOffCase {
    const char* name;
    bool pidKnown;                           // logind finds our pid in session "7"
    std::optional<QByteArray> xdgSessionId;  // the inherited variable
    const char* autoSession;                 // logind's session for "auto", "" for none
    const char* terminated;                  // nullptr: nothing is terminated
};

TEST_F(DesktopSessionTest, LogOffTerminatesTheProgramsOwnSession)
{
    const LogOffCase cases[] = {
        {"logind knows our process", true, QByteArray("99"), "c3", "7"},
        {"then the inherited id", false, QByteArray("99"), "c3", "99"},
        {"then logind's auto session", false, std::nullopt, "c3", "c3"},
        {"an empty id counts as none", false, QByteArray(""), "c3", "c3"},
        {"no session anywhere", false, std::nullopt, "", nullptr},
    };
    const QString pidCall = QStringLiteral("GetSessionByPID %1").arg(::getpid());
    Class1 session(DesktopSession());
    for (const LogOffCase& c : cases) {
        SCOPED_TRACE(c.name);
        SessionIdVariable variable(c.xdgSessionId);
        login1_->reset();
        login1_->configure(QStringLiteral("SessionPid"), c.pidKnown ? static_cast<uint>(::getpid()) : 0u);
        login1_->configure(QStringLiteral("SessionId"), QStringLiteral("7"));
        login1_->configure(QStringLiteral("AutoSessionId"), QString::fromLatin1(c.autoSession));
        session.ExitWindows(0);
        QStringList expected{pidCall};
        if (c.terminated)
            expected << QStringLiteral("TerminateSession ") + QLatin1String(c.terminated);
        EXPECT_EQ(login1_->calls(), expected);
    }
}

TEST_F(DesktopSessionTest, RefusedRequestsAreAskedOnceAndPassSilently)
{
    login1_->configure(QStringLiteral("Refuse"), true);
    login1_->configure(QStringLiteral("AutoSessionId"), QStringLiteral("c3"));
    SessionIdVariable variable(std::nullopt);
    Class1 session(DesktopSession());
    // Silent for the user, but the caller learns why, for the log.
    for (int32_t option : {0, 1, 2, 8})
        EXPECT_NE(session.ExitWindows(option), "") << option;
    EXPECT_EQ(login1_->calls(), (QStringList{QStringLiteral("GetSessionByPID %1").arg(::getpid()),
                                             "TerminateSession c3", "PowerOff non-interactive",
                                             "Reboot non-interactive", "PowerOff non-interactive"}));

    // With logind gone altogether, every request still returns without throwing.
    login1_.reset();
    for (int32_t option : {0, 1, 2, 8})
        EXPECT_NE(session.ExitWindows(option).find("org.freedesktop.DBus.Error"), std::string::npos) << option;
}

} // namespace
