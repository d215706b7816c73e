// The player is an MPRIS 2 media player on the session bus, the session is
// ended through logind on the system bus.
//
// Every call blocks for its reply, with a short timeout: the caller expects a
// command to have been delivered when Execute returns, and a hung or missing
// peer must never hang the program. With no bus, no player or a refused
// request nothing happens; the caller only learns why, for its log.
//
// Only blocking calls are made. Qt serves its D-Bus connections from a thread
// of its own, so they need no running event loop, and they work even before a
// QCoreApplication exists; the program always creates one first all the same.
#include "Backends.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <optional>
#include <string>

#include <unistd.h>

namespace qm {

namespace {

constexpr int kTimeoutMs = 2000;

const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusMessage callBlocking(const QDBusConnection& bus, const QDBusMessage& message)
{
    return bus.call(message, QDBus::Block, kTimeoutMs);
}

bool succeeded(const QDBusMessage& reply) { return reply.type() == QDBusMessage::ReplyMessage; }

// Empty for a reply, else the bus's own name and text of the error.
std::string failure(const QDBusMessage& reply)
{
    if (succeeded(reply))
        return {};
    const QString name = reply.errorName().isEmpty() ? QStringLiteral("no reply") : reply.errorName();
    return (name + QStringLiteral(": ") + reply.errorMessage()).toStdString();
}

// A timed-out peer is not asked again within the same request.
bool timedOut(const QDBusMessage& reply)
{
    const QDBusError::ErrorType error = QDBusError(reply).type();
    return error == QDBusError::NoReply || error == QDBusError::Timeout;
}

QDBusMessage getProperty(const QDBusConnection& bus, const QString& service, const QString& path,
                         const QString& interface, const QString& name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(service, path, kPropertiesInterface, QStringLiteral("Get"));
    get << interface << name;
    return callBlocking(bus, get);
}

// The value inside a Properties.Get reply, or nothing when the call failed.
std::optional<QVariant> propertyValue(const QDBusMessage& reply)
{
    if (!succeeded(reply) || reply.arguments().isEmpty())
        return std::nullopt;
    const QVariant argument = reply.arguments().constFirst();
    if (!argument.canConvert<QDBusVariant>())
        return std::nullopt;
    return qvariant_cast<QDBusVariant>(argument).variant();
}

// ---- player -----------------------------------------------------------------

const QString kMprisPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kMprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kMprisRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kMprisPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

constexpr qlonglong kSeekStepMicroseconds = 5'000'000;
constexpr double kVolumeStep = 0.01;

// One volume step from the current level. A step never moves the other way: a
// player that allows amplification above 1.0 is not pulled back to 1.0 by
// "volume up", it simply goes no higher.
double steppedVolume(double current, double delta)
{
    const double next = current + delta;
    if (delta > 0)
        return std::max(current, std::min(next, 1.0));
    return std::max(next, 0.0);
}

class MprisPlayer : public PlayerBackend {
public:
    bool playerRunning() override { return !playerNames(QDBusConnection::sessionBus()).isEmpty(); }

    std::string sendCommand(int32_t code) override
    {
        switch (code) {
        case 40045: return callPlayer(QStringLiteral("Play"));
        case 40046: return callPlayer(QStringLiteral("PlayPause"));
        case 40048: return callPlayer(QStringLiteral("Next"));
        case 40044: return callPlayer(QStringLiteral("Previous"));
        case 40058: return stepVolume(+kVolumeStep);
        case 40059: return stepVolume(-kVolumeStep);
        case 40148: return callPlayer(QStringLiteral("Seek"), {QVariant::fromValue(kSeekStepMicroseconds)});
        case 40144: return callPlayer(QStringLiteral("Seek"), {QVariant::fromValue(-kSeekStepMicroseconds)});
        case 40001: return call(kMprisRoot, QStringLiteral("Quit"));
        default: return "the player has no command " + std::to_string(code);
        }
    }

private:
    // Every bus name a media player owns, sorted so that the choice among
    // several equal players is stable.
    static QStringList playerNames(const QDBusConnection& bus)
    {
        if (!bus.isConnected())
            return {};
        const QDBusMessage reply = callBlocking(
            bus, QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames")));
        if (!succeeded(reply) || reply.arguments().isEmpty())
            return {};
        QStringList names = reply.arguments().constFirst().toStringList();
        names.removeIf([](const QString& name) { return !name.startsWith(kMprisPrefix); });
        names.sort();
        return names;
    }

    // The player that is playing, else the first by name: with several players
    // open, the one the user hears is the one a command is meant for.
    static std::optional<QString> choosePlayer(const QDBusConnection& bus)
    {
        const QStringList names = playerNames(bus);
        if (names.isEmpty())
            return std::nullopt;
        if (names.size() > 1) {
            for (const QString& name : names) {
                const QDBusMessage reply = getProperty(bus, name, kMprisPath, kMprisPlayer, QStringLiteral("PlaybackStatus"));
                const auto status = propertyValue(reply);
                if (status && status->toString() == QLatin1String("Playing"))
                    return name;
            }
        }
        return names.constFirst();
    }

    static std::string noPlayer(const QDBusConnection& bus)
    {
        if (!bus.isConnected())
            return "no session bus to find a media player on";
        return "no media player is running (no " + kMprisPrefix.toStdString() + "* name on the session bus)";
    }

    static std::string call(const QString& interface, const QString& method, const QVariantList& arguments = {})
    {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        const auto player = choosePlayer(bus);
        if (!player)
            return noPlayer(bus);
        QDBusMessage message = QDBusMessage::createMethodCall(*player, kMprisPath, interface, method);
        message.setArguments(arguments);
        return failure(callBlocking(bus, message));
    }

    static std::string callPlayer(const QString& method, const QVariantList& arguments = {})
    {
        return call(kMprisPlayer, method, arguments);
    }

    static std::string stepVolume(double delta)
    {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        const auto player = choosePlayer(bus);
        if (!player)
            return noPlayer(bus);
        // Without a readable level there is nothing to step from; writing a
        // guess would jump the volume.
        const auto volume = propertyValue(getProperty(bus, *player, kMprisPath, kMprisPlayer, QStringLiteral("Volume")));
        if (!volume || volume->typeId() != QMetaType::Double)
            return player->toStdString() + " does not tell its volume";
        QDBusMessage set = QDBusMessage::createMethodCall(*player, kMprisPath, kPropertiesInterface, QStringLiteral("Set"));
        set << kMprisPlayer << QStringLiteral("Volume")
            << QVariant::fromValue(QDBusVariant(steppedVolume(volume->toDouble(), delta)));
        return failure(callBlocking(bus, set));
    }
};

// ---- session ----------------------------------------------------------------

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kLogindSession = QStringLiteral("org.freedesktop.login1.Session");

class LogindSession : public SessionBackend {
public:
    // Linux has no privilege to switch on: logind asks its own policy whether
    // this user may power off, reboot or end the session, and refuses if not.
    void enableShutdownPrivilege() override {}

    std::string requestSessionEnd(int32_t option, uint32_t) override
    {
        // The flags only matter to the other desktop. logind has no "force";
        // requests are non-interactive, so nothing waits on a password prompt.
        const QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return "no system bus to reach logind on: " + bus.lastError().message().toStdString();
        switch (option) {
        case 1:
        case 8: return failure(callManager(bus, QStringLiteral("PowerOff"), {false}));
        case 2: return failure(callManager(bus, QStringLiteral("Reboot"), {false}));
        case 0:
            if (const auto id = ownSessionId(bus))
                return failure(callManager(bus, QStringLiteral("TerminateSession"), {*id}));
            if (const QDBusError e = bus.lastError(); e.isValid())
                return "no session of this program to end: " + (e.name() + QStringLiteral(": ") + e.message()).toStdString();
            return "logind knows no session of this program";
        default: return {};
        }
    }

private:
    static QDBusMessage callManager(const QDBusConnection& bus, const QString& method, const QVariantList& arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager, method);
        message.setArguments(arguments);
        return callBlocking(bus, message);
    }

    static std::optional<QString> sessionIdAt(const QDBusConnection& bus, const QString& path, bool& gaveUp)
    {
        const QDBusMessage reply = getProperty(bus, kLogindService, path, kLogindSession, QStringLiteral("Id"));
        gaveUp = timedOut(reply);
        const auto id = propertyValue(reply);
        if (!id || id->toString().isEmpty())
            return std::nullopt;
        return id->toString();
    }

    // The session this program belongs to, asked in order of trust:
    //  1. logind, for our own pid: it knows the session from the process's
    //     cgroup, which no inherited setting can get wrong;
    //  2. XDG_SESSION_ID, set at login and inherited: it still names the login
    //     when the desktop started us outside the session's own process group,
    //     as desktops that run applications as user services do;
    //  3. logind's "auto" session: the caller's session, else the user's
    //     graphical session, which is the one a log-off means.
    // When none answers, nothing is terminated rather than a guess.
    static std::optional<QString> ownSessionId(const QDBusConnection& bus)
    {
        const QDBusMessage byPid = callManager(bus, QStringLiteral("GetSessionByPID"), {static_cast<uint>(::getpid())});
        if (timedOut(byPid))
            return std::nullopt;
        bool gaveUp = false;
        if (succeeded(byPid) && !byPid.arguments().isEmpty()) {
            const QString path = qvariant_cast<QDBusObjectPath>(byPid.arguments().constFirst()).path();
            if (!path.isEmpty()) {
                if (auto id = sessionIdAt(bus, path, gaveUp))
                    return id;
                if (gaveUp)
                    return std::nullopt;
            }
        }
        const QString fromEnvironment = qEnvironmentVariable("XDG_SESSION_ID");
        if (!fromEnvironment.isEmpty())
            return fromEnvironment;
        return sessionIdAt(bus, kLogindPath + QStringLiteral("/session/auto"), gaveUp);
    }
};

} // namespace

PlayerBackend& DesktopPlayer()
{
    static MprisPlayer player;
    return player;
}

SessionBackend& DesktopSession()
{
    static LogindSession session;
    return session;
}

} // namespace qm
