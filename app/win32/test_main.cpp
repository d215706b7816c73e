// quillmere-test.exe: the program with the scripted recognizer, which hears
// the phrases another program sends it (see HeardPhrase.h). For the tests
// under Wine only; it is never shipped.
#include "HeardPhrase.h"
#include "Program.h"
#include "ScriptedRecognizer.h"
#include "SingleInstance.h"
#include "Win32FrontEnd.h"

#include <objbase.h>
#include <windows.h>

#include <deque>
#include <string>

namespace {

class PhraseInbox {
public:
    explicit PhraseInbox(qm::ScriptedRecognizer& recognizer) : recognizer_(recognizer) {}

    bool handle(qm::Win32FrontEnd& frontEnd, UINT msg, LPARAM lp, LRESULT& result)
    {
        if (msg == WM_COPYDATA) {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            if (!data || data->dwData != qm::kHeardPhraseTag)
                return false;
            waiting_.emplace_back(static_cast<const char*>(data->lpData), data->cbData);
            PostMessageA(frontEnd.mainWindow(), qm::kHearNextPhraseMessage, 0, 0);
            result = TRUE;
            return true;
        }
        if (msg == qm::kHearNextPhraseMessage) {
            hearNext(frontEnd);
            result = 0;
            return true;
        }
        return false;
    }

private:
    // Phrases are heard one at a time: one whose commands are still running
    // (a message box waiting for OK) holds back the next.
    void hearNext(qm::Win32FrontEnd& frontEnd)
    {
        if (hearing_ || waiting_.empty())
            return;
        hearing_ = true;
        const std::string phrase = waiting_.front();
        waiting_.pop_front();
        recognizer_.say(phrase);
        hearing_ = false;
        if (!waiting_.empty() && frontEnd.mainWindow())
            PostMessageA(frontEnd.mainWindow(), qm::kHearNextPhraseMessage, 0, 0);
    }

    qm::ScriptedRecognizer& recognizer_;
    std::deque<std::string> waiting_;
    bool hearing_ = false;
};

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 1;
    {
        qm::ScriptedRecognizer recognizer;
        PhraseInbox inbox(recognizer);
        code = qm::RunProgram(instance, recognizer, [&](qm::Win32FrontEnd& frontEnd, qm::WindowSet& set) {
            frontEnd.setMainWindowHook([&inbox, &frontEnd, &set](UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
                return inbox.handle(frontEnd, msg, lp, result) || qm::HandleBringForward(set, msg, result);
            });
        });
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return code;
}
