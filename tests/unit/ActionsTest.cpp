#include "Class1.h"
#include "FakeBackends.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(Actions, ExitWindowsFlagsForceEveryRequestAndRestartCarriesTheShutdownBit)
{
    EXPECT_EQ(ExitWindowsFlags(0), 4u);
    EXPECT_EQ(ExitWindowsFlags(1), 5u);
    EXPECT_EQ(ExitWindowsFlags(2), 7u);
    EXPECT_EQ(ExitWindowsFlags(8), 12u);
    for (int option : {3, 4, 7, 9, -1})
        EXPECT_FALSE(ExitWindowsFlags(option)) << option;
}

TEST(Actions, ExitWindowsEnablesThePrivilegeEvenWhenItRequestsNothing)
{
    FakeSession s;
    Class1 c(s);
    c.ExitWindows(3);
    c.ExitWindows(-1);
    EXPECT_EQ(s.privilegeCalls, 2);
    EXPECT_TRUE(s.requests.empty());
    c.ExitWindows(2);
    EXPECT_EQ(s.requests, (std::vector<std::pair<int32_t, uint32_t>>{{2, 7u}}));
}
