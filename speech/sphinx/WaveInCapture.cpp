#include "speech/sphinx/WaveInCapture.h"

#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <stdexcept>
#include <utility>

namespace qm {

namespace {

constexpr DWORD kRate = 16000;
// Small buffers keep the delay between speech and decoding short: the end of
// a command is only seen once the buffer holding it comes back. Enough of
// them to ride out a busy moment of the program (a third of a second).
constexpr std::size_t kSamples = 480;  // 30 ms per buffer
constexpr std::size_t kBuffers = 12;   // the device fills some while we read another
// A device that works hands back a buffer every 30 ms, silence included. One
// that has done so and then hands back none for 2 s (ten waits of 200 ms) is
// gone, whether or not the driver said so: some just stop. Before its first
// buffer a device gets longer: under Wine the first one came 3 to 4 s after
// the device was opened. One that sends nothing for 10 s is opened again,
// without a word: it may have been opened just as the sound service went.
constexpr int kWaitMs = 200;
constexpr int kEmptyWaitsWhenGone = 10;
constexpr int kEmptyWaitsBeforeFirst = 50;

std::string waveInError(MMRESULT code) {
    char text[MAXERRORLENGTH] = {};
    if (waveInGetErrorTextA(code, text, sizeof text) != MMSYSERR_NOERROR)
        return "error " + std::to_string(code);
    return text;
}

}  // namespace

struct WaveInCapture::Device {
    HWAVEIN in = nullptr;
    HANDLE filled = nullptr;  // signalled by the driver when a buffer is done
    std::array<std::vector<std::int16_t>, kBuffers> data;
    std::array<WAVEHDR, kBuffers> headers{};
    std::size_t prepared = 0;

    Device() {
        filled = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!filled) throw std::runtime_error("cannot open the microphone: no event for the sound device");
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = kRate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 2;
        format.nAvgBytesPerSec = kRate * 2;
        const MMRESULT open = waveInOpen(&in, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(filled), 0,
                                         CALLBACK_EVENT);
        if (open != MMSYSERR_NOERROR) {
            in = nullptr;
            CloseHandle(filled);
            throw std::runtime_error("cannot open the microphone: " + waveInError(open));
        }
        for (std::size_t i = 0; i < kBuffers; ++i) {
            data[i].resize(kSamples);
            WAVEHDR& h = headers[i];
            h.lpData = reinterpret_cast<LPSTR>(data[i].data());
            h.dwBufferLength = static_cast<DWORD>(kSamples * sizeof(std::int16_t));
            if (waveInPrepareHeader(in, &h, sizeof h) != MMSYSERR_NOERROR) break;
            ++prepared;
            waveInAddBuffer(in, &h, sizeof h);
        }
        const MMRESULT started = prepared == kBuffers ? waveInStart(in) : MMSYSERR_NOMEM;
        if (started != MMSYSERR_NOERROR) {
            close();
            throw std::runtime_error("cannot start the microphone: " + waveInError(started));
        }
    }

    ~Device() { close(); }

    void close() {
        if (in) {
            // Reset returns every queued buffer, so all can be unprepared.
            waveInReset(in);
            for (std::size_t i = 0; i < prepared; ++i) waveInUnprepareHeader(in, &headers[i], sizeof headers[i]);
            waveInClose(in);
            in = nullptr;
        }
        if (filled) {
            CloseHandle(filled);
            filled = nullptr;
        }
    }
};

WaveInCapture::WaveInCapture() = default;

WaveInCapture::~WaveInCapture() { stop(); }

void WaveInCapture::start(Sink sink, Lost lost) {
    stop();
    device_ = std::make_unique<Device>();
    stopping_ = false;
    thread_ = std::thread([this, sink = std::move(sink), lost = std::move(lost)] {
        std::size_t next = 0;  // the driver returns buffers in the order they were added
        int emptyWaits = 0;
        bool delivering = false;  // this device has handed back a buffer
        while (!stopping_) {
            Device& d = *device_;
            WaitForSingleObject(d.filled, kWaitMs);
            MMRESULT requeued = MMSYSERR_NOERROR;
            bool got = false;
            while (!stopping_ && requeued == MMSYSERR_NOERROR && (d.headers[next].dwFlags & WHDR_DONE)) {
                WAVEHDR& h = d.headers[next];
                const std::size_t samples = h.dwBytesRecorded / sizeof(std::int16_t);
                if (samples > 0) sink(std::vector<std::int16_t>(d.data[next].begin(), d.data[next].begin() + samples));
                h.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
                h.dwBytesRecorded = 0;
                requeued = waveInAddBuffer(d.in, &h, sizeof h);
                next = (next + 1) % kBuffers;
                got = true;
            }
            delivering = delivering || got;
            emptyWaits = got ? 0 : emptyWaits + 1;
            const bool gone = requeued != MMSYSERR_NOERROR || (delivering && emptyWaits >= kEmptyWaitsWhenGone);
            const bool silent = !delivering && emptyWaits >= kEmptyWaitsBeforeFirst;
            if (stopping_ || (!gone && !silent)) continue;
            if (gone && lost)
                lost(requeued != MMSYSERR_NOERROR ? waveInError(requeued)
                                                  : std::string("the recording device stopped sending sound"));
            reopen();
            next = 0;
            emptyWaits = 0;
            delivering = false;
        }
    });
}

// On the worker thread, which alone uses the device while it runs.
void WaveInCapture::reopen() {
    device_.reset();
    while (!stopping_) {
        for (int i = 0; i < 10 && !stopping_; ++i) Sleep(100);
        if (stopping_) break;
        try {
            device_ = std::make_unique<Device>();
            return;
        } catch (const std::runtime_error&) {
            // Not back yet.
        }
    }
}

void WaveInCapture::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    device_.reset();
}

}  // namespace qm
