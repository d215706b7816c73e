// The offscreen GUI tests: one QApplication for all of them.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (ctest's discovery at build time) needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    // The tests never need a real display; a developer's DISPLAY must not pop windows up.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
