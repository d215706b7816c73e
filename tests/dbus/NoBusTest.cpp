// The desktop backends with no bus to talk to: nothing runs, nothing is sent,
// and no call throws.
#include "Class1.h"
#include "cls_Winamp.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(WithoutABus, ThePlayerIsNotRunningAndCodesGoNowhere)
{
    cls_Winamp winamp(DesktopPlayer());
    EXPECT_FALSE(winamp.IsWinampRunning());
    for (int32_t code : {40045, 40046, 40048, 40044, 40058, 40059, 40148, 40144, 40001, 0})
        EXPECT_NE(winamp.Execute(code), "") << code;
    EXPECT_FALSE(winamp.IsWinampRunning());
}

TEST(WithoutABus, SessionRequestsDoNotThrow)
{
    Class1 session(DesktopSession());
    for (int32_t option : {0, 1, 2, 8})
        EXPECT_NE(session.ExitWindows(option).find("no system bus"), std::string::npos) << option;
    EXPECT_EQ(session.ExitWindows(3), "") << "an option outside the table asks nothing";
}
