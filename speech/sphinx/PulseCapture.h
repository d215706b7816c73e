// Microphone capture through the PulseAudio simple API: the default source,
// 16 kHz mono 16-bit, read on a worker thread in 20 ms buffers. When the
// sound server goes away (a restart of the user's sound service), the source
// is opened again every second until the server is back.
//
// Decoding stays on the UI thread: listen() hands each buffer to the
// caller's post() and feeds the recognizer from there, so recognizer events
// reach the UI thread without locks and can never overlap a grammar reload
// (which also runs on that thread). Decoding costs a few per cent of one
// core, which the UI thread affords.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace qm {

class SphinxRecognizer;

class PulseCapture {
public:
    using Sink = std::function<void(std::vector<std::int16_t>)>;
    using Post = std::function<void(std::function<void()>)>;
    using Lost = std::function<void(const std::string& reason)>;

    PulseCapture();
    ~PulseCapture();  // stops
    PulseCapture(const PulseCapture&) = delete;
    PulseCapture& operator=(const PulseCapture&) = delete;

    // Opens the default source (throws std::runtime_error with PulseAudio's
    // reason when it cannot) and calls sink with every buffer, on the worker
    // thread, until stop(). Each time the server goes away, lost() is called
    // once, on the worker thread, before the source is sought again.
    void start(Sink sink, Lost lost = {}, std::string appName = "Quillmere Voice Command");

    // start() wired to a recognizer: each buffer travels through post() to
    // the thread that owns the recognizer and is fed there.
    void listen(SphinxRecognizer& recognizer, Post post, Lost lost = {});

    void stop();
    bool running() const { return thread_.joinable(); }

private:
    void reopen(const std::string& appName);

    struct Stream;
    std::unique_ptr<Stream> stream_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace qm
