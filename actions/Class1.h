#pragma once
#include "Backends.h"

namespace qm {

// Ends the session: log off (0), shut down (1), restart (2), power off (8).
class Class1 {
public:
    explicit Class1(SessionBackend& backend) : backend_(backend) {}
    void ExitWindows(int32_t option);

private:
    void EnableShutdownPrivilege() { backend_.enableShutdownPrivilege(); }
    SessionBackend& backend_;
};

} // namespace qm
