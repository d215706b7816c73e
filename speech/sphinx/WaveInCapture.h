// Microphone capture through waveIn (winmm): the default recording device,
// 16 kHz mono 16-bit, read on a worker thread in 100 ms buffers.
//
// Decoding stays on the UI thread: listen() hands each buffer to the
// caller's post() and feeds the recognizer from there, so recognizer events
// reach the UI thread without locks and can never overlap a grammar reload
// (which also runs on that thread).
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

class WaveInCapture {
public:
    using Sink = std::function<void(std::vector<std::int16_t>)>;
    using Post = std::function<void(std::function<void()>)>;

    WaveInCapture();
    ~WaveInCapture();  // stops
    WaveInCapture(const WaveInCapture&) = delete;
    WaveInCapture& operator=(const WaveInCapture&) = delete;

    // Opens the default recording device (throws std::runtime_error with
    // the system's reason when it cannot) and calls sink with every buffer,
    // on the worker thread, until stop().
    void start(Sink sink);

    // start() wired to a recognizer: each buffer travels through post() to
    // the thread that owns the recognizer and is fed there.
    void listen(SphinxRecognizer& recognizer, Post post);

    void stop();
    bool running() const { return thread_.joinable(); }

private:
    struct Device;
    std::unique_ptr<Device> device_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace qm
