#include "SingleInstance.h"

#include "FormWindow.h"

#include <cstdint>
#include <cstdio>

namespace qm {

namespace {

// Form1's caption, by which the first program's main window is found among
// the windows of the form class.
constexpr const char* kMainCaption = "Quillmere Voice Vuredizara Program";

// How long a later start waits for the first one's main window: the first may
// be a start that began a moment earlier and is still loading.
constexpr DWORD kFindWaitMs = 30000;
constexpr DWORD kAnswerWaitMs = 10000;

} // namespace

std::string SingleInstance::MutexName(const std::string& storeDirectory)
{
    // Windows paths ignore case: the same folder in any case is one store.
    // FNV-1a over the upper-cased bytes keeps the name short and free of the
    // backslashes a kernel object name may not hold.
    uint64_t hash = 14695981039346656037ull;
    for (char c : storeDirectory) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b >= 'a' && b <= 'z')
            b = static_cast<unsigned char>(b - 'a' + 'A');
        if (b == '/')
            b = '\\';
        hash = (hash ^ b) * 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "Local\\Quillmere.Store.%016llx", static_cast<unsigned long long>(hash));
    return name;
}

SingleInstance::SingleInstance(const std::string& storeDirectory)
{
    mutex_ = CreateMutexA(nullptr, FALSE, MutexName(storeDirectory).c_str());
    first_ = !(mutex_ && GetLastError() == ERROR_ALREADY_EXISTS);
}

SingleInstance::~SingleInstance()
{
    if (mutex_)
        CloseHandle(mutex_);
}

UINT BringForwardMessage()
{
    static const UINT message = RegisterWindowMessageA("Quillmere.BringForward");
    return message;
}

bool SingleInstance::bringFirstForward()
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND main = FindWindowA(win32::FormWindow::kWindowClass, kMainCaption)) {
            // The user started this one, so it may hand the foreground on.
            DWORD pid = 0;
            GetWindowThreadProcessId(main, &pid);
            AllowSetForegroundWindow(pid);
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutA(main, BringForwardMessage(), 0, 0, SMTO_ABORTIFHUNG, kAnswerWaitMs, &answer) &&
                answer == 1)
                return true;
        }
        if (GetTickCount() - start >= kFindWaitMs)
            return false;
        Sleep(100);
    }
}

bool HandleBringForward(WindowSet& set, UINT msg, LRESULT& result)
{
    if (msg != BringForwardMessage() || msg == 0)
        return false;
    set.showMainWindow();
    HWND main = reinterpret_cast<HWND>(set.mainWindowHandle());
    // Show leaves a window that is already visible as it is.
    if (IsIconic(main))
        ShowWindow(main, SW_RESTORE);
    SetForegroundWindow(main);
    result = 1;
    return true;
}

} // namespace qm
