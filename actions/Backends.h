#pragma once
// What the player and session classes need from the desktop. One backend per
// desktop (Win32 messages and tokens, D-Bus on Linux) and a recording fake.
#include <cstdint>
#include <optional>
#include <string>

namespace qm {

class PlayerBackend {
public:
    virtual ~PlayerBackend() = default;
    virtual bool playerRunning() = 0;
    // Delivered synchronously; with no player, nothing happens. Returns why
    // the command reached no player, or nothing when it was delivered.
    virtual std::string sendCommand(int32_t code) = 0;
};

class SessionBackend {
public:
    virtual ~SessionBackend() = default;
    virtual void enableShutdownPrivilege() = 0;
    // option is the caller's session option, flags its ExitWindowsEx flags.
    // Returns why the request was refused or not made, or nothing when the
    // system took it.
    virtual std::string requestSessionEnd(int32_t option, uint32_t flags) = 0;
};

// The ExitWindowsEx flags for a session option; nothing for options outside
// the table. Every request is forced.
std::optional<uint32_t> ExitWindowsFlags(int32_t option);

// Backends of this desktop, living for the whole run.
PlayerBackend& DesktopPlayer();
SessionBackend& DesktopSession();

} // namespace qm
