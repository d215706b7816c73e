#pragma once
// One program per store folder. The first start owns a named mutex named
// after the store folder; a later start finds the first one's main window,
// asks it to come forward, and ends.
#include "WindowSet.h"

#include <windows.h>

#include <string>

namespace qm {

class SingleInstance {
public:
    explicit SingleInstance(const std::string& storeDirectory);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True for the store's one program.
    bool first() const { return first_; }

    // From a later start: waits for the first one's main window (it may still
    // be starting), lets it take the foreground and asks it to come forward.
    // False when no such window answers in time.
    bool bringFirstForward();

    // The mutex's name, from the store folder's path.
    static std::string MutexName(const std::string& storeDirectory);

private:
    HANDLE mutex_ = nullptr;
    bool first_ = true;
};

// The message a later start sends to the main window.
UINT BringForwardMessage();

// On the first program's main window: shows it, restored and in the
// foreground, when msg is the request. True when it was.
bool HandleBringForward(WindowSet& set, UINT msg, LRESULT& result);

} // namespace qm
