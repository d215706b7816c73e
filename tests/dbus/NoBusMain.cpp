// Runs the tests with no bus at all: both addresses name a socket that does
// not exist, so every connection fails at once.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillmere-test-no-bus");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quillmere-test-no-bus");
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
