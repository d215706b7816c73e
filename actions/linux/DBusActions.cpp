// The player is an MPRIS 2 media player on the session bus, the session is
// ended through logind on the system bus.
//
// One request (a player command, a session end) has one deadline for all of
// its calls together: the caller, the UI thread, expects a command to have been
// delivered when it returns, but a hung or missing peer must never hold the
// window for longer than that. Where several players are asked the same
// question, they are asked all at once and their answers waited for together,
// so five silent players cost no more than one. With no bus, no player or a
// refused request nothing happens; the caller only learns why, for its log.
//
// Qt serves its D-Bus connections from a thread of its own, so waiting for a
// reply needs no running event loop and runs no other event meanwhile; it works
// even before a QCoreApplication exists, though the program always creates one
// first all the same.
#include "Backends.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace qm {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The longest one request may hold its caller.
constexpr milliseconds kRequestBudget{1000};

// The moment by which a request gives up waiting for its peers.
class Deadline {
public:
    explicit Deadline(milliseconds budget) : end_(Clock::now() + budget) {}
    Deadline(const Deadline& outer, milliseconds budget) : end_(std::min(outer.end_, Clock::now() + budget)) {}

    // Whole milliseconds left, 0 once the moment has passed.
    int remainingMs() const
    {
        const auto left = std::chrono::duration_cast<milliseconds>(end_ - Clock::now()).count();
        return left > 0 ? static_cast<int>(left) : 0;
    }

private:
    Clock::time_point end_;
};

const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusMessage noTimeLeft(const QDBusMessage& message)
{
    return message.createErrorReply(QDBusError::Timeout, QStringLiteral("the request ran out of time"));
}

// Waits for the reply until the deadline at the latest.
QDBusMessage callWithin(const QDBusConnection& bus, const QDBusMessage& message, const Deadline& deadline)
{
    const int ms = deadline.remainingMs();
    if (ms <= 0)
        return noTimeLeft(message);
    return bus.call(message, QDBus::Block, ms);
}

// Sends every message at once and waits for all replies together, until the
// deadline at the latest; the replies come back in the order of the messages.
QList<QDBusMessage> callAllWithin(const QDBusConnection& bus, const QList<QDBusMessage>& messages,
                                  const Deadline& deadline)
{
    const int ms = deadline.remainingMs();
    QList<QDBusMessage> replies;
    if (ms <= 0) {
        for (const QDBusMessage& m : messages)
            replies << noTimeLeft(m);
        return replies;
    }
    // Every call times out on its own at the same moment, so waiting for each
    // in turn waits no longer than the deadline in all.
    std::vector<QDBusPendingCall> pending;
    pending.reserve(static_cast<size_t>(messages.size()));
    for (const QDBusMessage& m : messages)
        pending.push_back(bus.asyncCall(m, ms));
    for (QDBusPendingCall& call : pending) {
        call.waitForFinished();
        replies << call.reply();
    }
    return replies;
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

QDBusMessage propertyGet(const QString& service, const QString& path, const QString& interface, const QString& name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(service, path, kPropertiesInterface, QStringLiteral("Get"));
    get << interface << name;
    return get;
}

QDBusMessage getProperty(const QDBusConnection& bus, const QString& service, const QString& path,
                         const QString& interface, const QString& name, const Deadline& deadline)
{
    return callWithin(bus, propertyGet(service, path, interface, name), deadline);
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

// Asking which player plays may take half of a command's time; the command
// itself gets the rest.
constexpr milliseconds kChoiceBudget{kRequestBudget / 2};

class MprisPlayer : public PlayerBackend {
public:
    bool playerRunning() override
    {
        const Deadline deadline(kRequestBudget);
        return !playerNames(QDBusConnection::sessionBus(), deadline).isEmpty();
    }

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
    static QStringList playerNames(const QDBusConnection& bus, const Deadline& deadline)
    {
        if (!bus.isConnected())
            return {};
        const QDBusMessage reply = callWithin(
            bus,
            QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                           QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames")),
            deadline);
        if (!succeeded(reply) || reply.arguments().isEmpty())
            return {};
        QStringList names = reply.arguments().constFirst().toStringList();
        names.removeIf([](const QString& name) { return !name.startsWith(kMprisPrefix); });
        names.sort();
        return names;
    }

    // The player that is playing, else the first by name that answered, else
    // the first by name: with several players open, the one the user hears is
    // the one a command is meant for, and one that does not answer is likely
    // hung. All are asked at once.
    static std::optional<QString> choosePlayer(const QDBusConnection& bus, const Deadline& deadline)
    {
        const Deadline choice(deadline, kChoiceBudget);
        const QStringList names = playerNames(bus, choice);
        if (names.isEmpty())
            return std::nullopt;
        if (names.size() == 1)
            return names.constFirst();
        QList<QDBusMessage> questions;
        for (const QString& name : names)
            questions << propertyGet(name, kMprisPath, kMprisPlayer, QStringLiteral("PlaybackStatus"));
        const QList<QDBusMessage> answers = callAllWithin(bus, questions, choice);
        std::optional<QString> firstAnswering;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const auto status = propertyValue(answers.at(i));
            if (!status)
                continue;
            if (status->toString() == QLatin1String("Playing"))
                return names.at(i);
            if (!firstAnswering)
                firstAnswering = names.at(i);
        }
        return firstAnswering ? firstAnswering : names.constFirst();
    }

    // The command is sent even when the choice used up the time; only the
    // wait for its reply is cut short.
    static std::string deliver(const QDBusConnection& bus, const QDBusMessage& message, const Deadline& deadline)
    {
        if (deadline.remainingMs() > 0)
            return failure(callWithin(bus, message, deadline));
        if (!bus.send(message))
            return "the command could not be sent: " + bus.lastError().message().toStdString();
        return {};
    }

    static std::string noPlayer(const QDBusConnection& bus)
    {
        if (!bus.isConnected())
            return "no session bus to find a media player on";
        return "no media player is running (no " + kMprisPrefix.toStdString() + "* name on the session bus)";
    }

    static std::string call(const QString& interface, const QString& method, const QVariantList& arguments = {})
    {
        const Deadline deadline(kRequestBudget);
        const QDBusConnection bus = QDBusConnection::sessionBus();
        const auto player = choosePlayer(bus, deadline);
        if (!player)
            return noPlayer(bus);
        QDBusMessage message = QDBusMessage::createMethodCall(*player, kMprisPath, interface, method);
        message.setArguments(arguments);
        return deliver(bus, message, deadline);
    }

    static std::string callPlayer(const QString& method, const QVariantList& arguments = {})
    {
        return call(kMprisPlayer, method, arguments);
    }

    static std::string stepVolume(double delta)
    {
        const Deadline deadline(kRequestBudget);
        const QDBusConnection bus = QDBusConnection::sessionBus();
        const auto player = choosePlayer(bus, deadline);
        if (!player)
            return noPlayer(bus);
        // Without a readable level there is nothing to step from; writing a
        // guess would jump the volume.
        const auto volume =
            propertyValue(getProperty(bus, *player, kMprisPath, kMprisPlayer, QStringLiteral("Volume"), deadline));
        if (!volume || volume->typeId() != QMetaType::Double)
            return player->toStdString() + " does not tell its volume";
        QDBusMessage set = QDBusMessage::createMethodCall(*player, kMprisPath, kPropertiesInterface, QStringLiteral("Set"));
        set << kMprisPlayer << QStringLiteral("Volume")
            << QVariant::fromValue(QDBusVariant(steppedVolume(volume->toDouble(), delta)));
        return deliver(bus, set, deadline);
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
        const Deadline deadline(kRequestBudget);
        const QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return "no system bus to reach logind on: " + bus.lastError().message().toStdString();
        switch (option) {
        case 1:
        case 8: return failure(callManager(bus, QStringLiteral("PowerOff"), {false}, deadline));
        case 2: return failure(callManager(bus, QStringLiteral("Reboot"), {false}, deadline));
        case 0:
            if (const auto id = ownSessionId(bus, deadline))
                return failure(callManager(bus, QStringLiteral("TerminateSession"), {*id}, deadline));
            if (const QDBusError e = bus.lastError(); e.isValid())
                return "no session of this program to end: " + (e.name() + QStringLiteral(": ") + e.message()).toStdString();
            return "logind knows no session of this program";
        default: return {};
        }
    }

private:
    static QDBusMessage callManager(const QDBusConnection& bus, const QString& method, const QVariantList& arguments,
                                    const Deadline& deadline)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager, method);
        message.setArguments(arguments);
        return callWithin(bus, message, deadline);
    }

    static std::optional<QString> sessionIdAt(const QDBusConnection& bus, const QString& path, bool& gaveUp,
                                              const Deadline& deadline)
    {
        const QDBusMessage reply = getProperty(bus, kLogindService, path, kLogindSession, QStringLiteral("Id"), deadline);
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
    static std::optional<QString> ownSessionId(const QDBusConnection& bus, const Deadline& deadline)
    {
        const QDBusMessage byPid =
            callManager(bus, QStringLiteral("GetSessionByPID"), {static_cast<uint>(::getpid())}, deadline);
        if (timedOut(byPid))
            return std::nullopt;
        bool gaveUp = false;
        if (succeeded(byPid) && !byPid.arguments().isEmpty()) {
            const QString path = qvariant_cast<QDBusObjectPath>(byPid.arguments().constFirst()).path();
            if (!path.isEmpty()) {
                if (auto id = sessionIdAt(bus, path, gaveUp, deadline))
                    return id;
                if (gaveUp)
                    return std::nullopt;
            }
        }
        const QString fromEnvironment = qEnvironmentVariable("XDG_SESSION_ID");
        if (!fromEnvironment.isEmpty())
            return fromEnvironment;
        return sessionIdAt(bus, kLogindPath + QStringLiteral("/session/auto"), gaveUp, deadline);
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
