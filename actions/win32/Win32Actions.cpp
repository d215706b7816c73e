// The player is reached through its main window's class name, the session
// through the process token and ExitWindowsEx.
#include "Backends.h"

#include <windows.h>

#include <string>

namespace qm {

namespace {

constexpr const char* kPlayerWindowClass = "Winamp v1.x";

class Win32Player : public PlayerBackend {
public:
    bool playerRunning() override { return FindWindowA(kPlayerWindowClass, nullptr) != nullptr; }

    std::string sendCommand(int32_t code) override
    {
        // Sent, not posted: the call returns after the player handled it. With
        // no player window the send goes nowhere, which is what we want.
        HWND player = FindWindowA(kPlayerWindowClass, nullptr);
        SendMessageA(player, WM_COMMAND, static_cast<WPARAM>(static_cast<uint32_t>(code)), 0);
        return player ? std::string() : std::string("no window of class \"") + kPlayerWindowClass + "\" is open";
    }
};

class Win32Session : public SessionBackend {
public:
    void enableShutdownPrivilege() override
    {
        HANDLE process = GetCurrentProcess();
        HANDLE token = nullptr;
        if (!OpenProcessToken(process, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            return;
        TOKEN_PRIVILEGES next{};
        TOKEN_PRIVILEGES previous{};
        DWORD returned = 0;
        LookupPrivilegeValueA("", "SeShutdownPrivilege", &next.Privileges[0].Luid);
        next.PrivilegeCount = 1;
        next.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        static_assert(sizeof(TOKEN_PRIVILEGES) == 16, "one-entry TOKEN_PRIVILEGES is 16 bytes");
        AdjustTokenPrivileges(token, FALSE, &next, sizeof previous, &previous, &returned);
        CloseHandle(token);
    }

    std::string requestSessionEnd(int32_t, uint32_t flags) override
    {
        if (ExitWindowsEx(flags, 0xFFFFFFFFu))
            return {};
        return "Windows refused the request (error " + std::to_string(GetLastError()) + ")";
    }
};

} // namespace

PlayerBackend& DesktopPlayer()
{
    static Win32Player player;
    return player;
}

SessionBackend& DesktopSession()
{
    static Win32Session session;
    return session;
}

} // namespace qm
