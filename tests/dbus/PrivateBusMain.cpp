// Runs the tests on a bus of their own. A private dbus-daemon is started first
// and both the session and the system bus addresses point at it, before any
// D-Bus connection exists: the tests can reach neither the user's media player
// nor the machine's logind, however the binary is started.
#include <QCoreApplication>
#include <QProcess>

#include <csignal>
#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>
#include <sys/prctl.h>

int main(int argc, char** argv)
{
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;

    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();

    QProcess daemon;
    daemon.setProgram(QStringLiteral("dbus-daemon"));
    daemon.setArguments({QStringLiteral("--config-file=" QM_DBUS_TEST_BUS_CONFIG), QStringLiteral("--nofork"),
                         QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The daemon goes with us even if a test crashes.
    daemon.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    daemon.start();
    QByteArray address;
    while (address.isEmpty() && daemon.waitForReadyRead(10000)) {
        if (daemon.canReadLine())
            address = daemon.readLine().trimmed();
    }
    if (address.isEmpty()) {
        std::fprintf(stderr, "cannot start a private dbus-daemon\n");
        return 1;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);

    const int result = RUN_ALL_TESTS();
    daemon.terminate();
    daemon.waitForFinished(5000);
    return result;
}
