#pragma once
#include "Backends.h"

namespace qm {

// Drives the media player through its main window's command codes.
class cls_Winamp {
public:
    explicit cls_Winamp(PlayerBackend& backend) : backend_(backend) {}
    bool IsWinampRunning() { return backend_.playerRunning(); }
    // Empty when delivered, else why no player got it.
    std::string Execute(int32_t code) { return backend_.sendCommand(code); }

private:
    PlayerBackend& backend_;
};

} // namespace qm
