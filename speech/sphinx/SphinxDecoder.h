// Phrase recogniser on PocketSphinx: a fixed list of phrases in, accepted
// phrases out. Synchronous and single-threaded: the caller pushes 16 kHz mono
// 16-bit PCM and callbacks fire from inside process()/finish().
#pragma once

#include "speech/sphinx/NoiseReduction.h"
#include "speech/sphinx/PhraseGrammar.h"
#include "speech/sphinx/UsualMargin.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace qm::sphinx {

class SphinxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int kSampleRate = 16000;

struct DecoderOptions {
    // Directory holding en-us/ (acoustic model), cmudict-en-us.dict and
    // en-us-phone.lm.bin.
    std::string modelDir = "/usr/share/pocketsphinx/model/en-us";

    // Silence that closes an utterance. Longer survives slow speakers'
    // pauses between words; shorter reports sooner.
    int endSilenceMs = 300;
    // The stretch is judged on its audio up to this much quiet after its
    // speech; the rest of endSilenceMs only confirms that the speaker
    // paused. Judging early lets the decoding overlap that wait.
    int decideAfterSilenceMs = 300;
    // Within speech, sound this far above the noise floor (dB) is still
    // speech: it does not count towards the silence that closes a stretch.
    double stillSpeechDb = 8;
    // Faint speech, whose loudest 10 ms stand less than faintSpeechDb over
    // the floor, needs faintEndSilenceMs of quiet to close (when longer
    // than endSilenceMs).
    double faintSpeechDb = 0;
    int faintEndSilenceMs = 0;

    // A stretch of speech longer than the grammar's longest phrase at this
    // many frames per phone is not decoded at all.
    int maxFramesPerPhone = 25;

    // Each stretch is brought to this level (its loudest 10 ms, dB of full
    // scale) over white noise this far below it before decoding.
    double loudestDb = -15;
    double noiseBelowDb = 55;
    // A steady noise floor is taken out of each stretch first, as learnt
    // from the quiet before its onset (off when overSubtraction is 0).
    NoiseReductionOptions noiseReduction;

    // Per-frame margin check: a second decoder with only the phone loop
    // (each phone costing rivalPhoneProb) hears the same audio; a phrase is
    // accepted only when its path beats the loop's by at least
    // minMarginPerFrame per frame. Off when rivalPhoneProb is 0.
    double rivalPhoneProb = 0;
    int minMarginPerFrame = 0;

    // The first and the last word of an accepted phrase must each last more
    // than this many frames per phone of their pronunciation (0 disables).
    // The search can only finish a phrase by squeezing a missing edge word
    // into the onset or the tail of other speech ("back" heard as "go back",
    // "scroll" as "scroll up"), where it gets close to the model's minimum
    // of 3 frames per phone.
    double minEdgeFramesPerPhone = 0;
    // Likewise a word inside the phrase: one the speaker left out ("take
    // notes" heard as "take a note") is squeezed in at the model's minimum
    // of 3 frames per phone.
    double minInnerFramesPerPhone = 0;

    // A one-word phrase must beat the loop by this much instead: a single
    // short word fits a piece of almost any talk.
    int minMarginOneWord = 0;

    // Quiet before an utterance, in frames of 10 ms, for it to count as a
    // command (a command said inside a sentence is refused). The start of
    // listening counts as quiet.
    int minQuietBeforeFrames = 0;

    // A phrase that follows other talk by less than talkPauseFrames must
    // beat the loop by minMarginSoonAfterTalk, when that is stricter.
    int minMarginSoonAfterTalk = -1000000;
    int talkPauseFrames = 0;

    // Every word of the phrase on its own must come this close to the loop
    // over its frames (acoustic score per frame). A near miss ("close the
    // door" for "close window") shares words that score well and hide, in
    // the phrase's average, the one word that does not fit.
    int minWordMargin = -1000000;
    // Once this voice's usual margin is known, a phrase must also come
    // within usualMargin.below of it (off when usualMargin.after is 0).
    UsualMarginOptions usualMargin;
    // A phrase whose margin or worst word lies this close to its limit is
    // heard again on frames shifted by 2.5, 5 and 7.5 ms, and judged on the
    // mean of the measurements (0: never).
    int closeCallWithin = 0;

    // The phrase's words must cover the stretch's speech: at most this many
    // frames from the stretch's start (pre-roll included) to the first word,
    // and from the last word to the stretch's end (closing quiet included).
    // More means talk around the phrase was passed off as silence ("go back
    // to sleep" heard as "go back").
    int maxFramesBeforeWords = 1000000;
    // The stretch opens with the quiet before its onset. A first word that
    // starts within minFramesBeforeWords of the stretch's start took that
    // quiet in: the noise floor under faint speech, or a piece of speech
    // from before the stretch (a longer utterance cut where noise hid a
    // soft sound). Such a phrase must beat the loop by minMarginFromStart.
    int minFramesBeforeWords = 0;
    int minMarginFromStart = -1000000;
    // The quiet that the best path puts before the first word must sound
    // like quiet: its acoustic score per frame no lower than this. Far
    // lower means that speech was passed off as silence to fit a phrase
    // into what followed.
    int minLeadScorePerFrame = -1000000;
    // Likewise a pause that the best path puts between two phrase words:
    // words said on their way to a phrase ("show me the desktop" heard as
    // "show desktop") are passed off as a pause.
    int minPauseScorePerFrame = -1000000;
    int maxFramesAfterWords = 1000000;

    // A stretch of up to this many frames has its acoustic scores worked
    // out once, kept in a file in a private temporary folder, and read back
    // for the phone loop; longer ones, or with 0, the loop works them out
    // again. They are most of what a decision costs.
    int sharedScoreFrames = 0;

    // Extra engine options (name, value), e.g. {"-beam", "1e-60"}, for tuning.
    std::vector<std::pair<std::string, std::string>> engineArgs;
};

// The defaults above are placeholders; the tuned values live here so that
// tools and tests share them.
DecoderOptions defaultDecoderOptions();

// One word of the best path, in frames of 10 ms.
struct Segment {
    std::string word;             // as the engine names it (alternates as word(2))
    int startFrame = 0;
    int endFrame = 0;             // inclusive
    std::int32_t ascr = 0;        // acoustic score
    int phones = 0;               // pronunciation length; 0 for fillers
};

// Per-utterance evidence, for tuning tools and diagnostics.
struct UtteranceReport {
    std::string words;            // best phrase-path word sequence, normalised
    int phraseIndex = -1;         // phrase those words map to, or -1
    int frames = 0;               // speech frames decoded
    std::int32_t score = 0;       // best path score
    bool accepted = false;
    std::uint64_t endSample = 0;  // stream position when the utterance closed
    std::vector<Segment> segments;  // best path, fillers included
    int phraseFrames = 0;         // frames of the phrase's own words
    std::int32_t phraseAscr = 0;  // their acoustic score
    int phraseAscrPerFrame = 0;   // phraseAscr / phraseFrames
    int phones = 0;               // phones of the phrase's words
    std::int32_t posterior = 0;   // log posterior of the hypothesis (0 without a lattice)
    std::int32_t rivalScore = 0;  // the loop-only decoder's path score
    int marginPerFrame = 0;       // (score - rivalScore) / frames
    double edgeFramesPerPhone = 0;  // the shorter of the first and last word, per phone
    double innerFramesPerPhone = 0; // the shortest word between them, per phone (0: none)
    int quietBefore = 0;          // frames of quiet before the utterance
    int worstWordMargin = 0;      // the phrase word that the loop beats most, per frame
    int loopAscrPerFrame = 0;     // the loop's acoustic score over the phrase's words, per frame
    int framesBeforeWords = 0;    // from the stretch's start to the first phrase word
    bool fromStart = false;       // the first word took in the quiet that opens the stretch
    int framesAfterWords = 0;     // from the last phrase word to the stretch's end
    int leadScorePerFrame = 0;    // acoustic score per frame before the first word
    int pauseScorePerFrame = 0;   // the worst pause between phrase words, per frame (0: none)
    const char* rejectedBy = "";  // which check refused an otherwise complete phrase
    bool rivalHeard = false;      // the phone loop heard the stretch (the margins are measured)
    bool measuredAgain = false;   // a close call: the margins are the mean over frame phases
};

class SphinxDecoder {
public:
    using SpeechStarted = std::function<void()>;
    using PhraseAccepted = std::function<void(std::size_t index, const std::string& phrase)>;
    using PhraseRefused = std::function<void()>;
    using UtteranceObserver = std::function<void(const UtteranceReport&)>;

    // Loads the acoustic model and dictionary (the slow part, done once).
    // Throws SphinxError naming the missing file.
    explicit SphinxDecoder(DecoderOptions options = defaultDecoderOptions());
    SphinxDecoder(const std::vector<std::string>& phrases,
                  DecoderOptions options = defaultDecoderOptions());
    ~SphinxDecoder();
    SphinxDecoder(const SphinxDecoder&) = delete;
    SphinxDecoder& operator=(const SphinxDecoder&) = delete;

    // Replaces the grammar. Any utterance in progress is dropped. Phrases
    // with a word that cannot be pronounced are left out (see unheardPhrases());
    // phrases that normalise to the same words answer as the first of them.
    void setPhrases(const std::vector<std::string>& phrases);

    const std::vector<std::string>& unheardPhrases() const;
    const std::vector<std::string>& unknownWords() const;  // lower case, file order
    // Phrases left out for having more than PhraseGrammar::kMaxWords words.
    const std::vector<std::string>& longPhrases() const;
    std::size_t hearablePhraseCount() const;
    // The phrase index that hearing these words reports (normalised the way
    // phrases are), or -1 when no phrase of the grammar consists of them.
    int phraseIndexOf(const std::string& spoken) const;

    void onSpeechStarted(SpeechStarted cb);
    void onPhraseAccepted(PhraseAccepted cb);
    // An utterance whose start was reported closed without a phrase.
    void onPhraseRefused(PhraseRefused cb);
    void onUtterance(UtteranceObserver cb);

    // Consumes audio; callbacks fire when the detector sees speech start and
    // when the trailing silence closes an utterance.
    void process(const std::int16_t* pcm, std::size_t count);
    // End of stream: closes an utterance still open, as if silence followed.
    void finish();
    // Forgets an utterance in progress without reporting it.
    void reset();
    // An utterance is open: speech-started fired and nothing has ended it.
    bool inSpeech() const;

    std::uint64_t samplesConsumed() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qm::sphinx
