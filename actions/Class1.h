#pragma once
#include "Backends.h"

namespace qm {

// Ends the session: log off (0), shut down (1), restart (2), power off (8).
class Class1 {
public:
    explicit Class1(SessionBackend& backend) : backend_(backend) {}
    // Empty when the system took the request (or there was none to make),
    // else why it was refused.
    std::string ExitWindows(int32_t option);

private:
    void EnableShutdownPrivilege() { backend_.enableShutdownPrivilege(); }
    SessionBackend& backend_;
};

} // namespace qm
