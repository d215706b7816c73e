// The offscreen GUI tests: one QApplication for all of them.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

QtMessageHandler qtDefault = nullptr;

// The offscreen platform cannot raise windows and says so each time one is shown.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message == QLatin1String("This plugin does not support raise()"))
        return;
    qtDefault(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (ctest's discovery at build time) needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    // The tests never need a real display; a developer's DISPLAY must not pop windows up.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qtDefault = qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
