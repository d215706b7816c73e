#include "SpeechSegmenter.h"

#include <algorithm>
#include <cmath>

namespace qm::sphinx {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = 16000.0;

double levelDb(const std::int16_t* s, std::size_t n) {
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += double(s[i]) * double(s[i]);
    const double meanSquare = sum / double(n) / (32768.0 * 32768.0);
    return meanSquare > 0 ? 10.0 * std::log10(meanSquare) : -200.0;
}

// The floor rises by this much per frame of sound above it: outside speech
// 10 dB a second, so that a noise floor that sets in (a fan, a noise floor
// after digital silence) is learnt within a second or two; within speech
// 1 dB a second, so that a long stretch of talk does not become the floor.
// A stretch longer than any the decoder keeps is no phrase: there the floor
// is at least the quietest frame of the last phrase-length, and rises at
// the outside rate, or a noise that sets in at once (a fan switched on)
// would hold one stretch open, and the program deaf, until the floor
// caught up half a minute later.
constexpr double kFloorRisePerFrame = 0.1;
constexpr double kFloorRiseInSpeech = 0.01;
// Outside speech, a floor below the onset floor (after digital silence)
// climbs to it within 10 frames: a noise floor that sets in just before
// someone speaks is learnt in time, as if the floor had stopped there.
constexpr double kFloorRiseFromSilence = 1.0;
// And falls this share of the way to a quieter frame, in one frame.
constexpr double kFloorFallShare = 0.2;

}  // namespace

// Butterworth (Q = 1/sqrt(2)) from the bilinear transform.
SpeechSegmenter::HighPass::HighPass() {
    const double w = 2.0 * kPi * kHighPassHz / kRate;
    const double alpha = std::sin(w) / std::sqrt(2.0);
    const double a0 = 1.0 + alpha;
    b0 = (1.0 + std::cos(w)) / 2.0 / a0;
    b1 = -(1.0 + std::cos(w)) / a0;
    b2 = b0;
    a1 = -2.0 * std::cos(w) / a0;
    a2 = (1.0 - alpha) / a0;
}

double SpeechSegmenter::HighPass::run(double x) {
    double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    // The tail after sound, in digital silence, would decay into subnormal
    // numbers, which cost a hundredfold per operation; it is far under any
    // floor long before.
    if (std::abs(y) < 1e-9) y = 0;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}

double SpeechSegmenter::highPassedLevelDb() {
    double sum = 0;
    for (const std::int16_t s : pending_) {
        const double y = highPass_.run(s);
        sum += y * y;
    }
    const double meanSquare = sum / double(pending_.size()) / (32768.0 * 32768.0);
    return meanSquare > 0 ? 10.0 * std::log10(meanSquare) : -200.0;
}

SpeechSegmenter::SpeechSegmenter() : SpeechSegmenter(Options{}) {}

SpeechSegmenter::SpeechSegmenter(Options options) : options_(options) {}

void SpeechSegmenter::reset() {
    pending_.clear();
    history_.clear();
    speech_.clear();
    inSpeech_ = false;
    closed_ = false;
    frames_ = 0;
    sinceStretch_ = kLongQuiet;
    quietBefore_ = kLongQuiet;
    quietLead_ = 0;
    loudRun_ = 0;
    quietRun_ = 0;
    quietest_.clear();
}

SpeechSegmenter::Event SpeechSegmenter::frame() {
    const double db = highPassedLevelDb();
    if (closed_) {
        speech_.clear();
        closed_ = false;
    }
    // Track the floor on every frame; thresholds use the value before it.
    if (!floorKnown_) {
        floorDb_ = std::max(db, kMinFloorDb);
        floorKnown_ = true;
    }
    const double floor = floorDb_;
    if (db < floorDb_) floorDb_ += (db - floorDb_) * kFloorFallShare;
    else if (inSpeech_ && frames_ < options_.maxFrames) floorDb_ += kFloorRiseInSpeech;
    else floorDb_ += floorDb_ < kMinOnsetFloorDb ? kFloorRiseFromSilence : kFloorRisePerFrame;
    floorDb_ = std::max(floorDb_, kMinFloorDb);
    if (inSpeech_) {
        while (!quietest_.empty() && quietest_.back().second >= db) quietest_.pop_back();
        quietest_.emplace_back(frames_, db);
        while (quietest_.front().first + options_.maxFrames <= frames_) quietest_.pop_front();
        if (frames_ >= options_.maxFrames) floorDb_ = std::max(floorDb_, quietest_.front().second);
    }

    Event event = Event::None;
    if (!inSpeech_) {
        if (sinceStretch_ < kLongQuiet) ++sinceStretch_;
        history_.insert(history_.end(), pending_.begin(), pending_.end());
        loudRun_ = db > std::max(floor, kMinOnsetFloorDb) + options_.onsetDb ? loudRun_ + 1 : 0;
        if (loudRun_ >= options_.onsetFrames) {
            inSpeech_ = true;
            quietRun_ = 0;
            speech_.swap(history_);
            history_.clear();
            quietest_.clear();
            frames_ = speech_.size() / kFrame;
            quietLead_ = speech_.size() - std::size_t(options_.onsetFrames) * kFrame;
            loudestDb_ = db;
            quietBefore_ = std::max(0, sinceStretch_ - options_.onsetFrames);
            event = Event::Started;
        } else {
            const std::size_t keep = std::size_t(options_.preRollFrames + options_.onsetFrames) * kFrame;
            if (history_.size() > keep)
                history_.erase(history_.begin(), history_.end() - std::ptrdiff_t(keep));
        }
    } else {
        if (++frames_ <= options_.maxFrames) speech_.insert(speech_.end(), pending_.begin(), pending_.end());
        quietRun_ = db > floor + options_.quietDb ? 0 : quietRun_ + 1;
        loudestDb_ = std::max(loudestDb_, db);
        const bool faint = loudestDb_ < floor + options_.faintDb;
        if (quietRun_ >= std::max(options_.endSilenceFrames, faint ? options_.faintEndSilenceFrames : 0)) {
            inSpeech_ = false;
            closed_ = true;
            sinceStretch_ = quietRun_;
            loudRun_ = 0;
            event = Event::Ended;
        }
    }
    pending_.clear();
    return event;
}

void normaliseLevel(std::vector<std::int16_t>& audio, double loudestDb, double noiseBelowDb) {
    constexpr std::size_t kFrame = SpeechSegmenter::kFrame;
    double loudest = -200.0;
    for (std::size_t at = 0; at + kFrame <= audio.size(); at += kFrame)
        loudest = std::max(loudest, levelDb(audio.data() + at, kFrame));
    if (loudest <= -200.0) return;  // nothing but zeros: nothing to hear
    const double gain = std::pow(10.0, (loudestDb - loudest) / 20.0);
    // Uniform noise of peak A has an RMS of A / sqrt(3).
    const double noisePeak = 32768.0 * std::pow(10.0, (loudestDb - noiseBelowDb) / 20.0) * std::sqrt(3.0);
    std::uint32_t seed = 12345;
    for (auto& s : audio) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = (double(seed >> 8) / double(1u << 24) * 2.0 - 1.0) * noisePeak;
        const double v = std::round(double(s) * gain + noise);
        s = static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
}

}  // namespace qm::sphinx
