// The player and session backends against the real window manager and token.
#include "Class1.h"
#include "CommandDispatch.h"
#include "FakeDesktop.h"
#include "cls_Winamp.h"

#include <gtest/gtest.h>

#include <windows.h>
// winuser.h defines ExitWindows as a two-argument macro; ours is Class1's method.
#undef ExitWindows

#include <utility>
#include <vector>

using namespace qm;

namespace {

constexpr const char* kPlayerClass = "Winamp v1.x";

// A stand-in for the media player: a hidden top-level window of the player's
// class, on the test's own thread, that records the WM_COMMAND messages it
// receives. SendMessageA to a window of the calling thread runs its window
// procedure directly, so no message loop is needed.
class PlayerWindow {
public:
    PlayerWindow()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &PlayerWindow::proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kPlayerClass;
        registered_ = RegisterClassA(&wc) != 0;
        hwnd_ = CreateWindowExA(0, kPlayerClass, "player stand-in", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                320, 200, nullptr, nullptr, wc.hInstance, nullptr);
        if (hwnd_)
            SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~PlayerWindow()
    {
        close();
        if (registered_)
            UnregisterClassA(kPlayerClass, GetModuleHandleA(nullptr));
    }
    PlayerWindow(const PlayerWindow&) = delete;
    PlayerWindow& operator=(const PlayerWindow&) = delete;

    bool ready() const { return registered_ && hwnd_ != nullptr; }
    void close()
    {
        if (hwnd_)
            DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }

    std::vector<std::pair<WPARAM, LPARAM>> commands;

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_COMMAND) {
            if (auto* self = reinterpret_cast<PlayerWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
                self->commands.emplace_back(wParam, lParam);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    bool registered_ = false;
    HWND hwnd_ = nullptr;
};

std::vector<std::pair<WPARAM, LPARAM>> asCommands(const std::vector<WPARAM>& codes)
{
    std::vector<std::pair<WPARAM, LPARAM>> out;
    for (WPARAM c : codes)
        out.emplace_back(c, 0);
    return out;
}

LUID shutdownPrivilege()
{
    LUID luid{};
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid);
    return luid;
}

// Switches the privilege off, so that the test sees the backend switch it on.
void disableShutdownPrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token))
        return;
    TOKEN_PRIVILEGES off{};
    off.PrivilegeCount = 1;
    off.Privileges[0].Luid = shutdownPrivilege();
    off.Privileges[0].Attributes = 0;
    AdjustTokenPrivileges(token, FALSE, &off, 0, nullptr, nullptr);
    CloseHandle(token);
}

bool shutdownPrivilegeEnabled()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    PRIVILEGE_SET wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Control = PRIVILEGE_SET_ALL_NECESSARY;
    wanted.Privilege[0].Luid = shutdownPrivilege();
    BOOL held = FALSE;
    const BOOL ok = PrivilegeCheck(token, &wanted, &held);
    CloseHandle(token);
    return ok && held;
}

struct NoWindows : WindowSetHost {
    void hideForVoice() override {}
    void showMainWindow() override {}
    NativeHandle mainWindowHandle() override { return 0; }
};

} // namespace

TEST(Win32Player, TheNinePlayerCodesArriveAsWmCommandInOrder)
{
    PlayerWindow player;
    ASSERT_TRUE(player.ready()) << "error " << GetLastError();
    const std::vector<WPARAM> codes{40045, 40046, 40048, 40044, 40058, 40059, 40148, 40144, 40001};
    cls_Winamp winamp(DesktopPlayer());
    for (WPARAM code : codes)
        winamp.Execute(static_cast<int32_t>(code));
    EXPECT_EQ(player.commands, asCommands(codes));
}

TEST(Win32Player, IsRunningFollowsThePlayerWindow)
{
    cls_Winamp winamp(DesktopPlayer());
    EXPECT_FALSE(winamp.IsWinampRunning()) << "no player window exists yet";
    PlayerWindow player;
    ASSERT_TRUE(player.ready());
    EXPECT_TRUE(winamp.IsWinampRunning());
    player.close();
    EXPECT_FALSE(winamp.IsWinampRunning());
    // With no player the command goes nowhere, and nothing breaks.
    winamp.Execute(40045);
    EXPECT_TRUE(player.commands.empty());
}

TEST(Win32Player, ASpokenPlayerCommandReachesThePlayerThroughTheDispatch)
{
    PlayerWindow player;
    ASSERT_TRUE(player.ready());
    ListBox l1("List1"), l2("List2"), l3("List3");
    Image image("Image1", {}, "indicator");
    NoWindows windows;
    FakeDesktop desktop;
    DispatchContext ctx{{l1, l2, l3}, image, windows, desktop, DesktopPlayer(), DesktopSession()};
    ctx.table.append("next song", "", "Next Track");
    ctx.table.append("louder", "", "Raise Volume by 1");
    ctx.table.append("next song", "", "Lower Volume By 1");
    DirectSR1_PhraseFinish(ctx, 0, 0, 0, 0, 0, "next song", "", 0);
    EXPECT_EQ(player.commands, asCommands({40048, 40059}));
    EXPECT_TRUE(desktop.messages.empty());
}

// Options 0, 1, 2 and 8 would end the Wine session under the test; their
// flags are checked through ExitWindowsFlags. An option outside the table
// must still enable the privilege, and must request nothing: were anything
// requested, this process would not live to finish the test.
TEST(Win32Session, AnOptionOutsideTheTableEnablesThePrivilegeAndRequestsNothing)
{
    disableShutdownPrivilege();
    ASSERT_FALSE(shutdownPrivilegeEnabled());
    Class1 session(DesktopSession());
    session.ExitWindows(3);
    EXPECT_TRUE(shutdownPrivilegeEnabled());
    disableShutdownPrivilege();
    EXPECT_NO_THROW(session.ExitWindows(-1));
    EXPECT_TRUE(shutdownPrivilegeEnabled());
}
