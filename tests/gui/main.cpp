// The offscreen GUI tests: one QApplication for all of them, on one screen of
// 1366 x 768 pixels at QM_TEST_DPI dots per inch (96 unless told).
#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

QtMessageHandler qtDefault = nullptr;

// The offscreen platform cannot raise windows and says so each time one is shown.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message == QLatin1String("This plugin does not support raise()"))
        return;
    qtDefault(type, context, message);
}

// The offscreen platform's screen, described in a file it reads at start.
std::string screenConfig(int dpi)
{
    char path[] = "/tmp/qm-gui-screen.XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return {};
    const std::string json = "{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0, \"width\": 1366, \"height\": 768, "
                             "\"logicalDpi\": " + std::to_string(dpi) + ", \"logicalBaseDpi\": 96, \"dpr\": 1}]}";
    const bool written = write(fd, json.data(), json.size()) == static_cast<ssize_t>(json.size());
    close(fd);
    return written ? path : std::string();
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (ctest's discovery at build time) needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    const int dpi = qEnvironmentVariableIsSet("QM_TEST_DPI") ? qEnvironmentVariableIntValue("QM_TEST_DPI") : 96;
    const std::string config = screenConfig(dpi);
    if (config.empty()) {
        std::fprintf(stderr, "cannot write the offscreen screen's description\n");
        return 1;
    }
    // The tests never need a real display; a developer's DISPLAY must not pop windows up.
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.c_str());
    // The program sees the density itself, as it does when Qt does not scale
    // the desktop: twips and points become more pixels.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qtDefault = qInstallMessageHandler(quietOffscreen);
    int status;
    {
        QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        status = RUN_ALL_TESTS();
    }
    std::remove(config.c_str());
    return status;
}
