#pragma once
#include "Backends.h"

namespace qm {

// Drives the media player through its main window's command codes.
class cls_Winamp {
public:
    explicit cls_Winamp(PlayerBackend& backend) : backend_(backend) {}
    bool IsWinampRunning() { return backend_.playerRunning(); }
    void Execute(int32_t code) { backend_.sendCommand(code); }

private:
    PlayerBackend& backend_;
};

} // namespace qm
