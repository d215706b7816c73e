#include "speech/sphinx/PulseCapture.h"

#include "speech/sphinx/SphinxRecognizer.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <stdexcept>
#include <utility>

namespace qm {

struct PulseCapture::Stream {
    pa_simple* pa = nullptr;
    ~Stream() {
        if (pa) pa_simple_free(pa);
    }
};

PulseCapture::PulseCapture() = default;

PulseCapture::~PulseCapture() { stop(); }

void PulseCapture::start(Sink sink, std::string appName) {
    stop();
    pa_sample_spec format{};
    format.format = PA_SAMPLE_S16LE;
    format.rate = 16000;
    format.channels = 1;
    // Small fragments keep the delay between speech and decoding short: the
    // end of a command is only seen once the fragment holding it arrives.
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.fragsize = 640;  // 20 ms
    int err = 0;
    auto stream = std::make_unique<Stream>();
    stream->pa = pa_simple_new(nullptr, appName.c_str(), PA_STREAM_RECORD, nullptr, "voice commands", &format, nullptr,
                               &attr, &err);
    if (!stream->pa) throw std::runtime_error(std::string("cannot open the microphone: ") + pa_strerror(err));
    stream_ = std::move(stream);
    stopping_ = false;
    thread_ = std::thread([this, sink = std::move(sink)] {
        constexpr std::size_t kSamples = 320;  // 20 ms
        while (!stopping_) {
            std::vector<std::int16_t> buf(kSamples);
            int e = 0;
            if (pa_simple_read(stream_->pa, buf.data(), buf.size() * sizeof(std::int16_t), &e) < 0) break;
            sink(std::move(buf));
        }
    });
}

void PulseCapture::listen(SphinxRecognizer& recognizer, Post post) {
    start([&recognizer, post = std::move(post)](std::vector<std::int16_t> buf) {
        post([&recognizer, buf = std::move(buf)] { recognizer.feed(buf.data(), buf.size()); });
    });
}

void PulseCapture::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    stream_.reset();
}

}  // namespace qm
