// A stand-in for the services the Linux actions talk to, on a private bus:
//
//   qm_dbus_test_peer player BUS_NAME   an MPRIS 2 media player under BUS_NAME
//   qm_dbus_test_peer login1            logind's manager and its session objects
//
// It records every request it receives (property reads excepted) and answers
// them the way the real service would, rejecting wrong argument types. With
// Silent (b) set it answers nothing and records property reads too. The test
// reads the record and changes the peer's state through org.quillmere.TestPeer
// at /org/quillmere/TestPeer: Calls() -> as, Reset(), Configure(s key, v value).
// "ready" on stdout means the bus name is owned and the objects are exported.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QVariantMap>

#include <csignal>
#include <cstdio>
#include <cstring>

#include <sys/prctl.h>

namespace {

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kTestInterface = QStringLiteral("org.quillmere.TestPeer");
const QString kTestPath = QStringLiteral("/org/quillmere/TestPeer");

class Peer : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString member = message.member();
        const QString signature = message.signature();
        QDBusMessage reply;
        if (message.path() == kTestPath) {
            if (message.interface() != kTestInterface)
                reply = unknown(message);
            else if (member == QLatin1String("Calls"))
                reply = message.createReply(calls_);
            else if (member == QLatin1String("Reset")) {
                calls_.clear();
                reply = message.createReply();
            } else if (member == QLatin1String("Configure") && signature == QLatin1String("sv")) {
                settings_[message.arguments().at(0).toString()] = unwrap(message.arguments().at(1));
                reply = message.createReply();
            } else
                reply = unknown(message);
        } else if (settings_.value(QStringLiteral("Silent")).toBool()) {
            // A hung peer: it takes every request in and answers none.
            const QVariantList args = message.arguments();
            calls_ << (member == QLatin1String("Get") && args.size() == 2 ? QStringLiteral("Get ") + args.at(1).toString()
                                                                           : member);
            return true;
        } else {
            reply = serve(message);
        }
        connection.send(reply);
        return true;
    }

protected:
    virtual QDBusMessage serve(const QDBusMessage& message) = 0;

    static QVariant unwrap(const QVariant& value) { return qvariant_cast<QDBusVariant>(value).variant(); }
    static QDBusMessage unknown(const QDBusMessage& message)
    {
        return message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                        message.interface() + '.' + message.member());
    }
    static QDBusMessage invalidArgs(const QDBusMessage& message)
    {
        return message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                                        message.member() + QStringLiteral(" does not take ") + message.signature());
    }
    static QDBusMessage propertyReply(const QDBusMessage& message, const QVariant& value)
    {
        return message.createReply(QVariant::fromValue(QDBusVariant(value)));
    }

    QStringList calls_;
    QVariantMap settings_;
};

// Settings: PlaybackStatus (s), Volume (d), VolumeReadable (b).
class Player : public Peer {
public:
    Player()
    {
        settings_[QStringLiteral("PlaybackStatus")] = QStringLiteral("Stopped");
        settings_[QStringLiteral("Volume")] = 1.0;
        settings_[QStringLiteral("VolumeReadable")] = true;
    }

protected:
    QDBusMessage serve(const QDBusMessage& message) override
    {
        const QString interface = message.interface();
        const QString member = message.member();
        const QString signature = message.signature();
        const QVariantList args = message.arguments();
        if (message.path() != QLatin1String("/org/mpris/MediaPlayer2"))
            return unknown(message);

        if (interface == QLatin1String("org.mpris.MediaPlayer2") && (member == "Quit" || member == "Raise")) {
            if (!signature.isEmpty())
                return invalidArgs(message);
            calls_ << member;
            return message.createReply();
        }
        if (interface == QLatin1String("org.mpris.MediaPlayer2.Player")) {
            static const QStringList plain{"Play", "PlayPause", "Pause", "Stop", "Next", "Previous"};
            if (plain.contains(member)) {
                if (!signature.isEmpty())
                    return invalidArgs(message);
                calls_ << member;
                return message.createReply();
            }
            if (member == QLatin1String("Seek")) {
                if (signature != QLatin1String("x"))
                    return invalidArgs(message);
                calls_ << QStringLiteral("Seek %1").arg(args.at(0).toLongLong());
                return message.createReply();
            }
            return unknown(message);
        }
        if (interface == kProperties) {
            const bool ofPlayer = !args.isEmpty() && args.at(0).toString() == QLatin1String("org.mpris.MediaPlayer2.Player");
            if (member == QLatin1String("Get") && signature == QLatin1String("ss") && ofPlayer) {
                const QString name = args.at(1).toString();
                if (name == QLatin1String("PlaybackStatus"))
                    return propertyReply(message, settings_.value(name));
                if (name == QLatin1String("Volume") && settings_.value("VolumeReadable").toBool())
                    return propertyReply(message, settings_.value(name).toDouble());
                return invalidArgs(message);
            }
            if (member == QLatin1String("Set") && signature == QLatin1String("ssv") && ofPlayer
                && args.at(1).toString() == QLatin1String("Volume")) {
                const QVariant value = unwrap(args.at(2));
                if (value.typeId() != QMetaType::Double)
                    return invalidArgs(message);
                // Six significant digits: what was meant, without the noise of
                // binary fractions.
                calls_ << QStringLiteral("Set Volume %1").arg(value.toDouble(), 0, 'g', 6);
                settings_[QStringLiteral("Volume")] = value;
                return message.createReply();
            }
            return invalidArgs(message);
        }
        return unknown(message);
    }
};

// Settings: SessionPid (u) is the one process GetSessionByPID knows, in session
// SessionId (s); AutoSessionId (s) is the session at .../session/auto, none
// when empty; Refuse (b) denies every power and session request, as logind
// does when its policy says no.
class Login1 : public Peer {
public:
    Login1()
    {
        settings_[QStringLiteral("SessionPid")] = 0u;
        settings_[QStringLiteral("SessionId")] = QString();
        settings_[QStringLiteral("AutoSessionId")] = QString();
        settings_[QStringLiteral("Refuse")] = false;
    }

protected:
    // Session ids become object path elements the way logind escapes them.
    static QString sessionPath(const QString& id)
    {
        QString element;
        for (qsizetype i = 0; i < id.size(); ++i) {
            const QChar c = id.at(i);
            const bool plain = (c.isLetterOrNumber() && c.unicode() < 128) && !(i == 0 && c.isDigit());
            element += plain ? QString(c) : QStringLiteral("_%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        }
        return QStringLiteral("/org/freedesktop/login1/session/") + element;
    }

    QDBusMessage answer(const QDBusMessage& message) const
    {
        if (settings_.value("Refuse").toBool())
            return message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                            QStringLiteral("Access denied"));
        return message.createReply();
    }

    QDBusMessage serve(const QDBusMessage& message) override
    {
        const QString interface = message.interface();
        const QString member = message.member();
        const QString signature = message.signature();
        const QVariantList args = message.arguments();

        if (message.path() == QLatin1String("/org/freedesktop/login1")
            && interface == QLatin1String("org.freedesktop.login1.Manager")) {
            if (member == QLatin1String("PowerOff") || member == QLatin1String("Reboot")) {
                if (signature != QLatin1String("b"))
                    return invalidArgs(message);
                calls_ << member + (args.at(0).toBool() ? QStringLiteral(" interactive") : QStringLiteral(" non-interactive"));
                return answer(message);
            }
            if (member == QLatin1String("TerminateSession")) {
                if (signature != QLatin1String("s"))
                    return invalidArgs(message);
                calls_ << QStringLiteral("TerminateSession ") + args.at(0).toString();
                return answer(message);
            }
            if (member == QLatin1String("GetSessionByPID")) {
                if (signature != QLatin1String("u"))
                    return invalidArgs(message);
                const uint pid = args.at(0).toUInt();
                calls_ << QStringLiteral("GetSessionByPID %1").arg(pid);
                const QString id = settings_.value("SessionId").toString();
                if (pid == settings_.value("SessionPid").toUInt() && !id.isEmpty())
                    return message.createReply(QVariant::fromValue(QDBusObjectPath(sessionPath(id))));
                return message.createErrorReply(QStringLiteral("org.freedesktop.login1.NoSessionForPID"),
                                                QStringLiteral("PID %1 does not belong to any known session").arg(pid));
            }
            return unknown(message);
        }
        if (interface == kProperties && member == QLatin1String("Get") && signature == QLatin1String("ss")
            && args.at(0).toString() == QLatin1String("org.freedesktop.login1.Session")
            && args.at(1).toString() == QLatin1String("Id")) {
            const QString id = settings_.value("SessionId").toString();
            const QString autoId = settings_.value("AutoSessionId").toString();
            if (!id.isEmpty() && message.path() == sessionPath(id))
                return propertyReply(message, id);
            if (!autoId.isEmpty() && message.path() == QLatin1String("/org/freedesktop/login1/session/auto"))
                return propertyReply(message, autoId);
            return message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"), message.path());
        }
        return unknown(message);
    }
};

int fail(const char* what)
{
    std::fprintf(stderr, "qm_dbus_test_peer: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Leave with the test that started us, even if it crashed.
    prctl(PR_SET_PDEATHSIG, SIGTERM);

    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    Peer* peer = nullptr;
    QString busName, objectPath;
    if (args.size() == 3 && args.at(1) == QLatin1String("player")) {
        peer = new Player;
        busName = args.at(2);
        objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
    } else if (args.size() == 2 && args.at(1) == QLatin1String("login1")) {
        peer = new Login1;
        busName = QStringLiteral("org.freedesktop.login1");
        objectPath = QStringLiteral("/org/freedesktop/login1");
    } else {
        return fail("usage: qm_dbus_test_peer player BUS_NAME | login1");
    }
    peer->setParent(&app);

    // Only the private bus the test set up: never the user's or the machine's.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return fail("no session bus");
    if (!bus.registerVirtualObject(objectPath, peer, QDBusConnection::SubPath)
        || !bus.registerVirtualObject(kTestPath, peer, QDBusConnection::SingleNode))
        return fail("cannot export the objects");
    if (!bus.registerService(busName))
        return fail("cannot own the bus name");
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
