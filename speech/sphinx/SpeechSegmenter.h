// Finds stretches of speech in a PCM stream by their level against a tracked
// noise floor, so that each stretch can be decoded on its own.
//
// The floor follows the quiet parts of the stream down at once and up only
// slowly. Digital silence (exact zeros, as noise-suppressing microphones and
// sound servers deliver) is treated as a very quiet room, not as an
// infinitely quiet one: a stretch opens only on sound well above
// kMinOnsetFloorDb, so speech after minutes of zeros is found the same way
// as speech after room noise, and a noise floor setting in is learnt rather
// than taken for speech. Within a stretch, sound down to kMinFloorDb still
// counts. The thresholds are relative to the floor, so the input level does
// not matter. Levels are measured above kHighPassHz: rumble (traffic, a
// fan's hum, a desk knocked) lies below the voice, and its level swings so
// widely from one 10 ms frame to the next that no floor could follow it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace qm::sphinx {

class SpeechSegmenter {
public:
    static constexpr std::size_t kFrame = 160;     // 10 ms at 16 kHz
    // dB of full scale. The floor within a stretch is low enough that after
    // digital silence the quiet ending of a word said softly (a released
    // "k", 35 dB under a peak of -30 dBFS) still counts as speech: cut off,
    // it left the phrase's last word scored too poorly to be accepted.
    static constexpr double kMinFloorDb = -80.0;
    static constexpr double kMinOnsetFloorDb = -70.0;
    // Over rumble 15 dB under the voice, 100 Hz still left a third of the
    // stretches open to the end; at 200 Hz all closed. A voice's level
    // comes from its formants, well above: it loses a fraction of a dB.
    static constexpr double kHighPassHz = 200.0;

    struct Options {
        int endSilenceFrames = 20;  // quiet that closes a stretch
        int preRollFrames = 25;     // kept before the detected onset
        int onsetFrames = 4;        // loud frames in a row that open a stretch
        double onsetDb = 12.0;      // above the floor: loud
        double quietDb = 8.0;       // above the floor, within speech: still speech
        // A stretch whose loudest frame is less than faintDb over the floor
        // needs faintEndSilenceFrames of quiet to close (when longer than
        // endSilenceFrames): the gaps between faint words sink into the floor.
        double faintDb = 0;
        int faintEndSilenceFrames = 0;
        // Audio kept of one stretch; a longer one is still followed to its
        // end, but only its length is known (frames()).
        std::size_t maxFrames = 6000;
    };

    SpeechSegmenter();
    explicit SpeechSegmenter(Options options);

    // Consumes audio and tells what happened in it, one call per event, in
    // order: started() when a stretch opens, ended(audio) with the stretch
    // (pre-roll and closing quiet included) when it closes.
    template <class Started, class Ended>
    void process(const std::int16_t* pcm, std::size_t count, Started&& started, Ended&& ended) {
        while (count > 0) {
            const std::size_t n = std::min(count, kFrame - pending_.size());
            pending_.insert(pending_.end(), pcm, pcm + n);
            pcm += n;
            count -= n;
            if (pending_.size() < kFrame) break;
            switch (frame()) {
            case Event::Started: started(); break;
            case Event::Ended: ended(static_cast<const std::vector<std::int16_t>&>(speech_)); break;
            case Event::None: break;
            }
        }
    }

    // End of stream: the open stretch, if any, as if quiet followed.
    template <class Ended>
    void finish(Ended&& ended) {
        if (inSpeech_) ended(static_cast<const std::vector<std::int16_t>&>(speech_));
        reset();
    }

    // Forgets the open stretch and the audio before it; keeps the floor.
    void reset();

    bool inSpeech() const { return inSpeech_; }
    // Within the open stretch: quiet frames in a row since its last loud
    // one, and its audio so far.
    int quietRun() const { return inSpeech_ ? quietRun_ : 0; }
    const std::vector<std::int16_t>& openAudio() const { return speech_; }
    double floorDb() const { return floorDb_; }
    // Frames of the open (or last closed) stretch, kept or not.
    std::size_t frames() const { return frames_; }
    void setMaxFrames(std::size_t frames) { options_.maxFrames = frames; }
    int endSilenceFrames() const { return options_.endSilenceFrames; }
    // The quiet frames that closed the last stretch.
    int closingQuiet() const { return inSpeech_ ? 0 : quietRun_; }
    // Quiet frames before the open (or last closed) stretch: since the last
    // stretch's speech ended, or kLongQuiet when nothing came before.
    static constexpr int kLongQuiet = 1 << 20;
    int quietBefore() const { return quietBefore_; }
    // Samples at the start of the open (or last closed) stretch that came
    // before its onset: the pre-roll, quiet by construction.
    std::size_t quietLead() const { return quietLead_; }

private:
    enum class Event { None, Started, Ended };
    Event frame();

    Options options_;
    // Second-order high-pass, run over the whole stream for the level
    // measure only: the stretches keep the audio as it came.
    struct HighPass {
        HighPass();
        double run(double x);
        double b0, b1, b2, a1, a2;
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    };
    double highPassedLevelDb();

    HighPass highPass_;
    std::vector<std::int16_t> pending_;  // less than a frame
    std::vector<std::int16_t> history_;  // the last preRollFrames frames while quiet
    std::vector<std::int16_t> speech_;   // the open stretch
    double floorDb_ = kMinFloorDb;
    bool floorKnown_ = false;  // the first frame sets the floor
    bool inSpeech_ = false;
    bool closed_ = false;  // speech_ holds a closed stretch
    std::size_t frames_ = 0;
    int sinceStretch_ = kLongQuiet;  // frames since the last stretch's speech
    int quietBefore_ = kLongQuiet;
    std::size_t quietLead_ = 0;
    int loudRun_ = 0;
    int quietRun_ = 0;
    double loudestDb_ = -200.0;  // of the open stretch
    // The open stretch's frame levels that could still be the quietest of
    // its last maxFrames frames, as (frame number, dB), rising in dB.
    std::deque<std::pair<std::size_t, double>> quietest_;
};

// Brings a stretch to one level: its loudest 10 ms frame to loudestDb (dB
// of full scale), with steady white noise noiseBelowDb under that in place
// of digital silence. What the engine then hears is the same whatever the
// microphone's gain, and never an exact zero, whose features lie far outside
// anything the acoustic model was trained on. The noise is pseudo-random
// with a fixed seed, so the same stretch always decodes the same.
void normaliseLevel(std::vector<std::int16_t>& audio, double loudestDb, double noiseBelowDb);

}  // namespace qm::sphinx
