#pragma once
// Starts qm_dbus_test_peer on the test's private bus and reads back what it
// recorded. Every call to the peer blocks for its reply, so a request the code
// under test made before is always in the record.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QStringList>

#include <csignal>

#include <gtest/gtest.h>
#include <sys/prctl.h>

namespace qm::test {

inline QDBusMessage callPeer(const QString& service, const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, QStringLiteral("/org/quillmere/TestPeer"),
                                                          QStringLiteral("org.quillmere.TestPeer"), method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

class PeerProcess {
public:
    // `args` as on the peer's command line; `service` is the bus name it takes.
    PeerProcess(const QStringList& args, QString service) : service_(std::move(service))
    {
        process_.setProgram(QStringLiteral(QM_DBUS_TEST_PEER));
        process_.setArguments(args);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start();
        // The peer says "ready" once its name is owned: no blind sleep.
        while (process_.waitForReadyRead(10000)) {
            if (process_.canReadLine() && process_.readLine().trimmed() == "ready") {
                ready_ = true;
                return;
            }
        }
        ADD_FAILURE() << "peer " << args.join(' ').toStdString() << " did not start: "
                      << process_.readAllStandardError().toStdString();
    }

    ~PeerProcess()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool ready() const { return ready_; }

    QStringList calls() const
    {
        const QDBusMessage reply = callPeer(service_, QStringLiteral("Calls"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            ADD_FAILURE() << "cannot read the calls of " << service_.toStdString() << ": "
                          << reply.errorMessage().toStdString();
            return {QStringLiteral("<unreadable>")};
        }
        return reply.arguments().constFirst().toStringList();
    }

    void reset() const { expectReply(callPeer(service_, QStringLiteral("Reset"))); }

    void configure(const QString& key, const QVariant& value) const
    {
        expectReply(callPeer(service_, QStringLiteral("Configure"), {key, QVariant::fromValue(QDBusVariant(value))}));
    }

private:
    void expectReply(const QDBusMessage& reply) const
    {
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
            << service_.toStdString() << ": " << reply.errorMessage().toStdString();
    }

    QString service_;
    QProcess process_;
    bool ready_ = false;
};

} // namespace qm::test

// Readable failures for the recorded calls.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os) { *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']'; }
QT_END_NAMESPACE
