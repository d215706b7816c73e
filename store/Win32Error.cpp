#include "Win32Error.h"

#include <windows.h>

namespace qm {

std::string Win32ErrorText(unsigned long code)
{
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string msg = n ? std::string(text, n) : std::string();
    if (text)
        LocalFree(text);
    while (!msg.empty() && (msg.back() == '\r' || msg.back() == '\n' || msg.back() == ' ' || msg.back() == '.'))
        msg.pop_back();
    return msg;
}

} // namespace qm
