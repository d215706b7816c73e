#include "VerboseLog.h"

#include "EventLog.h"

#include <windows.h>

#include <string>

namespace qm {

namespace {

HANDLE logHandle()
{
    HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
    if (h && h != INVALID_HANDLE_VALUE)
        return h;
    // A GUI program started from a command prompt has no standard handles,
    // but may write to that prompt's console.
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return nullptr;
    h = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

} // namespace

void RouteEventLogToConsole()
{
    HANDLE h = logHandle();
    if (!h)
        return;
    setEventLogSink([h](std::string_view line) {
        std::string text(line);
        text += "\r\n";
        DWORD written = 0;
        WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    });
}

} // namespace qm
