#include "Win32Desktop.h"

#include "Win32Error.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <vector>

namespace qm {

namespace {

HWND hwndOf(NativeHandle h) { return reinterpret_cast<HWND>(h); }

std::string systemMessage(DWORD err)
{
    std::string msg = Win32ErrorText(err);
    return msg.empty() ? "error " + std::to_string(err) : msg;
}

} // namespace

std::string Win32Desktop::openTarget(const std::string& target, NativeHandle owner)
{
    // The program started may bring its window to the front, even when the
    // command came by voice while another program had the foreground.
    AllowSetForegroundWindow(ASFW_ANY);
    const auto code = reinterpret_cast<INT_PTR>(ShellExecuteA(hwndOf(owner), "open", target.c_str(), "", "C:\\", SW_SHOWNORMAL));
    // Above 32 is success; below, the shell's codes 2 to 11 are the system's error numbers.
    if (code > 32)
        return {};
    return "the shell could not open it: " + systemMessage(static_cast<DWORD>(code));
}

DeleteOutcome Win32Desktop::deleteByPattern(const std::string& pattern)
{
    DeleteOutcome out;
    auto sep = pattern.find_last_of("\\/:");
    const std::string prefix = sep == std::string::npos ? "" : pattern.substr(0, sep + 1);
    WIN32_FIND_DATAA found{};
    HANDLE h = FindFirstFileA(pattern.c_str(), &found);
    int files = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            ++files;
            const std::string path = prefix + found.cFileName;
            if (DeleteFileA(path.c_str()))
                ++out.deleted;
            else if (out.error.empty())
                out.error = path + ": " + systemMessage(GetLastError());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    if (files == 0)
        out.error = pattern + ": no file matches";
    return out;
}

namespace {

// The box's own window, as it becomes active: lifted to the top of the
// topmost band, where MB_TOPMOST alone leaves a box owned by a window that
// is not topmost below the program's topmost windows.
LRESULT CALLBACK liftBox(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_ACTIVATE) {
        HWND w = reinterpret_cast<HWND>(wp);
        char name[16] = {};
        GetClassNameA(w, name, sizeof name);
        if (lstrcmpA(name, "#32770") == 0)
            SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

} // namespace

void Win32Desktop::messageBox(const std::string& text)
{
    // Owned by the window the user works in, else by the main window. A box
    // owned by a hidden window gets no taskbar button, so it goes unowned.
    HWND owner = GetActiveWindow();
    if (!owner || !IsWindowVisible(owner))
        owner = hwndOf(messageOwner);
    if (owner && !IsWindowVisible(owner))
        owner = nullptr;
    // The program's windows stay on top of others: the box goes above them
    // all, and takes the focus, or it waits unseen behind them.
    HHOOK hook = SetWindowsHookExA(WH_CBT, &liftBox, nullptr, GetCurrentThreadId());
    MessageBoxA(owner, text.c_str(), kAppTitle, MB_OK | MB_TOPMOST | MB_SETFOREGROUND);
    if (hook)
        UnhookWindowsHookEx(hook);
}

std::string WindowsDirectory()
{
    // Ask for the length first: the folder may be longer than any fixed buffer.
    UINT needed = GetWindowsDirectoryA(nullptr, 0);
    std::vector<char> buf(needed + 1);
    UINT got = GetWindowsDirectoryA(buf.data(), static_cast<UINT>(buf.size()));
    return std::string(buf.data(), got < buf.size() ? got : 0);
}

std::string Win32Desktop::storeDirectory()
{
    return WindowsDirectory();
}

std::optional<std::string> Win32Desktop::openFileDialog(NativeHandle owner)
{
    // Deliberately large: a path chosen in the dialog may exceed MAX_PATH.
    std::vector<char> file(32768, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwndOf(owner);
    ofn.lpstrFilter = "All Files\0*.*\0";
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn))
        return std::nullopt;
    return std::string(file.data());
}

void Win32Desktop::makeTopmost(NativeHandle window)
{
    SetWindowPos(hwndOf(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

} // namespace qm
