#include "Class1.h"

namespace qm {

std::optional<uint32_t> ExitWindowsFlags(int32_t option)
{
    constexpr uint32_t kLogOff = 0, kShutdown = 1, kReboot = 2, kForce = 4, kPowerOff = 8;
    switch (option) {
    case 0: return kLogOff | kForce;
    case 1: return kShutdown | kForce;
    // The restart request carries the shut-down bit as well as the reboot bit.
    case 2: return kShutdown | kReboot | kForce;
    case 8: return kPowerOff | kForce;
    default: return std::nullopt;
    }
}

std::string Class1::ExitWindows(int32_t option)
{
    // The privilege is enabled whatever the option, even one that requests nothing.
    EnableShutdownPrivilege();
    if (auto flags = ExitWindowsFlags(option))
        return backend_.requestSessionEnd(option, *flags);
    return {};
}

} // namespace qm
