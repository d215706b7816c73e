#include "speech/sphinx/PulseCapture.h"

#include "speech/sphinx/SphinxRecognizer.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <chrono>
#include <stdexcept>
#include <utility>

namespace qm {

struct PulseCapture::Stream {
    pa_simple* pa = nullptr;
    ~Stream() {
        if (pa) pa_simple_free(pa);
    }
};

namespace {

pa_simple* openSource(const std::string& appName, int& err) {
    pa_sample_spec format{};
    format.format = PA_SAMPLE_S16LE;
    format.rate = 16000;
    format.channels = 1;
    // Small fragments keep the delay between speech and decoding short: the
    // end of a command is only seen once the fragment holding it arrives.
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.fragsize = 640;  // 20 ms
    return pa_simple_new(nullptr, appName.c_str(), PA_STREAM_RECORD, nullptr, "voice commands", &format, nullptr,
                         &attr, &err);
}

}  // namespace

PulseCapture::PulseCapture() = default;

PulseCapture::~PulseCapture() { stop(); }

void PulseCapture::start(Sink sink, Lost lost, std::string appName) {
    stop();
    int err = 0;
    auto stream = std::make_unique<Stream>();
    stream->pa = openSource(appName, err);
    if (!stream->pa) throw std::runtime_error(std::string("cannot open the microphone: ") + pa_strerror(err));
    stream_ = std::move(stream);
    stopping_ = false;
    thread_ = std::thread([this, sink = std::move(sink), lost = std::move(lost), appName = std::move(appName)] {
        constexpr std::size_t kSamples = 320;  // 20 ms
        while (!stopping_) {
            std::vector<std::int16_t> buf(kSamples);
            int e = 0;
            if (pa_simple_read(stream_->pa, buf.data(), buf.size() * sizeof(std::int16_t), &e) >= 0) {
                sink(std::move(buf));
                continue;
            }
            if (lost) lost(pa_strerror(e));
            reopen(appName);
        }
    });
}

// On the worker thread, which alone uses the stream while it runs.
void PulseCapture::reopen(const std::string& appName) {
    pa_simple_free(stream_->pa);
    stream_->pa = nullptr;
    while (!stopping_) {
        for (int i = 0; i < 10 && !stopping_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        int err = 0;
        if (!stopping_ && (stream_->pa = openSource(appName, err))) return;
    }
}

void PulseCapture::listen(SphinxRecognizer& recognizer, Post post, Lost lost) {
    start(
        [&recognizer, post = std::move(post)](std::vector<std::int16_t> buf) {
            post([&recognizer, buf = std::move(buf)] { recognizer.feed(buf.data(), buf.size()); });
        },
        std::move(lost));
}

void PulseCapture::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    stream_.reset();
}

}  // namespace qm
