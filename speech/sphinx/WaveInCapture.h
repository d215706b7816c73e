// Microphone capture through waveIn (winmm): the default recording device,
// 16 kHz mono 16-bit, read on a worker thread in 30 ms buffers. When the
// device goes away (unplugged, or the sound service restarted), it is opened
// again every second until it is back.
//
// Decoding stays with the caller: the sink only hands each buffer on, so
// that recognizer events reach the UI thread without locks and can never
// overlap a grammar reload (which also runs on that thread).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace qm {

class WaveInCapture {
public:
    using Sink = std::function<void(std::vector<std::int16_t>)>;
    using Lost = std::function<void(const std::string& reason)>;

    WaveInCapture();
    ~WaveInCapture();  // stops
    WaveInCapture(const WaveInCapture&) = delete;
    WaveInCapture& operator=(const WaveInCapture&) = delete;

    // Opens the default recording device (throws std::runtime_error with
    // the system's reason when it cannot) and calls sink with every buffer,
    // on the worker thread, until stop(). Each time the device goes away,
    // lost() is called once, on the worker thread, before it is sought again.
    void start(Sink sink, Lost lost = {});

    void stop();
    bool running() const { return thread_.joinable(); }

private:
    void reopen();

    struct Device;
    std::unique_ptr<Device> device_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace qm
