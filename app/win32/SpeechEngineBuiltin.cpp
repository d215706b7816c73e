// The built-in engine: PocketSphinx with the model beside the program, on the
// default recording device through waveIn.
//
// The capture thread queues buffers and wakes a message-only window; decoding
// runs there, on the UI thread. The decoder's events are queued too and raised
// from a message of their own, so a handler that opens a message box (whose
// loop keeps decoding) never runs inside the decoder.
#include "SpeechEngine.h"

#include "EventLog.h"
#include "LostMicrophone.h"
#include "UnheardPhrases.h"
#include "Win32Desktop.h"

#include "speech/sphinx/SphinxRecognizer.h"
#include "speech/sphinx/WaveInCapture.h"

#include <windows.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace qm {

std::unique_ptr<Recognizer> MakeSapiEngine();

namespace {

constexpr UINT kAudioWaiting = WM_APP + 1; // buffers wait in the queue
constexpr UINT kEventWaiting = WM_APP + 2; // a decoder event waits
constexpr UINT kTellUnheard = WM_APP + 3;  // a load left phrases out
constexpr UINT kMicrophoneLost = WM_APP + 4; // the recording device went away
constexpr const char* kWindowClass = "QuillmereBuiltinEngine";
// Audio beyond this waits while the UI thread is busy (a reload, a dialog
// opening) is dropped from its old end: 5 s.
constexpr std::size_t kMaxQueuedBuffers = 50;

class BuiltinEngine : public Recognizer {
public:
    explicit BuiltinEngine(const std::string& modelDir) : engine_(modelDir)
    {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc{};
        wc.lpfnWndProc = &BuiltinEngine::windowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kWindowClass;
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
        if (!window_)
            throw std::runtime_error("the built-in engine's window cannot be made");
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

        RecognizerEvents queueing;
        queueing.PhraseStart = [this](int32_t, int32_t) { queueEvent({true, {}}); };
        queueing.PhraseFinish = [this](int32_t, int32_t, int32_t, int32_t, int32_t, const std::string& phrase,
                                       const std::string&, int32_t) { queueEvent({false, phrase}); };
        engine_.setEvents(std::move(queueing));
    }

    ~BuiltinEngine() override
    {
        capture_.stop();
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }

    void Deactivate() override
    {
        engine_.Deactivate();
        // A phrase heard before listening stopped is not acted on after.
        events_queue_.clear();
    }

    void GrammarFromFile(const std::string& path) override
    {
        engine_.GrammarFromFile(path);
        const std::string text = UnheardPhrasesMessage(engine_.unheardPhrases(), engine_.unknownWords());
        // The reload's retry may load twice; the user is told once, after the
        // reload: a box opened here would run the message loop mid-reload.
        if (!text.empty() && !telling_) {
            telling_ = true;
            unheardText_ = text;
            PostMessageA(window_, kTellUnheard, 0, 0);
        }
    }

    void Activate() override
    {
        engine_.Activate();
        if (capture_.running())
            return;
        // The microphone opens with the first activation and stays open; a
        // deactivated engine drops what it hears.
        try {
            capture_.start([this](std::vector<std::int16_t> buffer) { queueAudio(std::move(buffer)); },
                           [this](const std::string& reason) { queueLoss(reason); });
        } catch (const std::runtime_error& e) {
            engine_.Deactivate();
            throw RecognizerError(e.what());
        }
    }

private:
    struct Heard {
        bool started; // phrase-started, else phrase-finished with the phrase
        std::string phrase;
    };

    // Capture thread.
    // Every buffer posts its own wake-up, not only the one that finds the
    // queue empty. Seen under Wine: a wake-up posted while a message box
    // was closing never arrived; the queue then never emptied again, so no
    // later buffer woke the decoder and the program stayed deaf.
    void queueAudio(std::vector<std::int16_t> buffer)
    {
        {
            std::lock_guard<std::mutex> lock(audioLock_);
            audio_.push_back(std::move(buffer));
            if (audio_.size() > kMaxQueuedBuffers)
                audio_.pop_front();
        }
        PostMessageA(window_, kAudioWaiting, 0, 0);
    }

    void queueLoss(const std::string& reason)
    {
        {
            std::lock_guard<std::mutex> lock(audioLock_);
            lostReason_ = reason;
        }
        PostMessageA(window_, kMicrophoneLost, 0, 0);
    }

    // UI thread from here on.
    void decodeWaitingAudio()
    {
        std::deque<std::vector<std::int16_t>> batch;
        {
            std::lock_guard<std::mutex> lock(audioLock_);
            batch.swap(audio_);
        }
        for (const auto& buffer : batch) {
            try {
                engine_.feed(buffer.data(), buffer.size());
            } catch (const RecognizerError& e) {
                logEvent(std::string("the built-in engine failed: ") + e.what());
            }
        }
        // An event whose wake-up went the same way would wait for the next
        // one; the audio's steady wake-ups carry it instead.
        if (!events_queue_.empty())
            PostMessageA(window_, kEventWaiting, 0, 0);
    }

    void queueEvent(Heard heard)
    {
        events_queue_.push_back(std::move(heard));
        PostMessageA(window_, kEventWaiting, 0, 0);
    }

    void raiseOneEvent()
    {
        if (events_queue_.empty())
            return;
        Heard heard = std::move(events_queue_.front());
        events_queue_.pop_front();
        if (heard.started) {
            logEvent("speech started");
            if (events_.PhraseStart)
                events_.PhraseStart(0, 0);
        } else if (events_.PhraseFinish) {
            logEvent("heard \"" + heard.phrase + "\"");
            events_.PhraseFinish(0, 0, 0, 0, 0, heard.phrase, std::string(), 0);
        }
    }

    void tellUnheard()
    {
        telling_ = false;
        Win32Desktop().messageBox(unheardText_);
    }

    // The capture seeks the device again by itself; the user learns why
    // commands go unheard meanwhile. Part of a phrase heard before the loss
    // runs nothing. One box at a time: a device that comes and goes would
    // otherwise stack them.
    void tellOfLostMicrophone()
    {
        std::string reason;
        {
            std::lock_guard<std::mutex> lock(audioLock_);
            reason = lostReason_;
        }
        engine_.abandon();
        logEvent("the microphone was lost: " + reason);
        if (tellingOfLoss_)
            return;
        tellingOfLoss_ = true;
        Win32Desktop().messageBox(LostMicrophoneMessage(reason));
        tellingOfLoss_ = false;
    }

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<BuiltinEngine*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self) {
            switch (msg) {
            case kAudioWaiting:
                self->decodeWaitingAudio();
                return 0;
            case kEventWaiting:
                self->raiseOneEvent();
                return 0;
            case kTellUnheard:
                self->tellUnheard();
                return 0;
            case kMicrophoneLost:
                self->tellOfLostMicrophone();
                return 0;
            default:
                break;
            }
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }

    SphinxRecognizer engine_;
    WaveInCapture capture_;
    HWND window_ = nullptr;
    std::mutex audioLock_;
    std::deque<std::vector<std::int16_t>> audio_;
    std::deque<Heard> events_queue_;
    bool telling_ = false;
    std::string unheardText_;
    std::string lostReason_; // guarded by audioLock_
    bool tellingOfLoss_ = false;
};

} // namespace

std::string ModelDirBesideProgram()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of("\\/");
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "\\model";
}

std::unique_ptr<Recognizer> MakeSpeechEngine(EngineKind kind, const std::string& modelDir)
{
    if (kind == EngineKind::Sapi)
        return MakeSapiEngine();
    return std::make_unique<BuiltinEngine>(modelDir.empty() ? ModelDirBesideProgram() : modelDir);
}

} // namespace qm
