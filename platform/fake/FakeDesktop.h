#pragma once
// The desktop for tests: records every call, answers message boxes at once,
// and keeps the store in a folder of the test's choosing.
#include "DesktopServices.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class FakeDesktop : public DesktopServices {
public:
    explicit FakeDesktop(std::string storeDir = {}) : storeDir_(std::move(storeDir)) {}

    std::string openTarget(const std::string& target, NativeHandle owner) override
    {
        opened.push_back(target);
        lastOwner = owner;
        return openFailure;
    }
    DeleteOutcome deleteByPattern(const std::string& pattern) override
    {
        deleted.push_back(pattern);
        if (deleteOutcomes.empty())
            return {1, {}};
        DeleteOutcome o = deleteOutcomes.front();
        deleteOutcomes.pop_front();
        return o;
    }
    void messageBox(const std::string& text) override
    {
        messages.push_back(text);
        // Runs while the box "waits", as the event loop would.
        if (onMessageBox) {
            auto hook = std::move(onMessageBox);
            onMessageBox = nullptr;
            hook(text);
        }
    }
    std::string storeDirectory() override { return storeDir_; }
    std::optional<std::string> openFileDialog(NativeHandle) override
    {
        ++dialogs;
        if (dialogAnswers.empty())
            return std::nullopt;
        auto a = dialogAnswers.front();
        dialogAnswers.pop_front();
        return a;
    }
    void makeTopmost(NativeHandle window) override { topmost.push_back(window); }

    std::vector<std::string> opened;
    std::string openFailure; // what every open answers; empty: it started
    std::vector<std::string> deleted;
    std::deque<DeleteOutcome> deleteOutcomes;
    std::vector<std::string> messages;
    std::function<void(const std::string&)> onMessageBox;
    std::deque<std::optional<std::string>> dialogAnswers;
    int dialogs = 0;
    std::vector<NativeHandle> topmost;
    NativeHandle lastOwner = 0;

private:
    std::string storeDir_;
};

} // namespace qm
