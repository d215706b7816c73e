#pragma once
// Recording backends for tests and for the headless build.
#include "Backends.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qm {

class FakePlayer : public PlayerBackend {
public:
    bool running = false;
    std::vector<int32_t> codes;
    bool playerRunning() override { return running; }
    std::string sendCommand(int32_t code) override
    {
        codes.push_back(code);
        return running ? std::string() : "no player is running";
    }
};

class FakeSession : public SessionBackend {
public:
    int privilegeCalls = 0;
    std::vector<std::pair<int32_t, uint32_t>> requests;
    void enableShutdownPrivilege() override { ++privilegeCalls; }
    std::string refusal; // what the next requests answer; empty: accepted
    std::string requestSessionEnd(int32_t option, uint32_t flags) override
    {
        requests.emplace_back(option, flags);
        return refusal;
    }
};

} // namespace qm
