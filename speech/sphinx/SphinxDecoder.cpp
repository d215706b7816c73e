#include "SphinxDecoder.h"

#include "DictionaryFile.h"
#include "EngineWords.h"
#include "ScratchDir.h"
#include "SpeechSegmenter.h"

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/err.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/logmath.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace qm::sphinx {

DecoderOptions defaultDecoderOptions() {
    DecoderOptions o;
    // Tuned on the set that tests/audio/measure.sh builds (30 phrases, six
    // voices, two speeds; other sentences, noise, near misses that share
    // words with a phrase) and on over an hour of continuous talk
    // (bench/speech/talk.sh). Each stretch of speech is decoded whole; the
    // phrase must then pass every check below. The figures for these values
    // are in the notes of the change that set them.
    //
    // A phrase must come within 30 per frame of its own words of a free
    // phone loop heard over the same stretch, and each of its words within
    // 40 of the loop over that word's own frames. A stricter margin for
    // one-word phrases did not pay: it refused en-gb "quieter" before it
    // caught any more near misses.
    o.rivalPhoneProb = 1;
    o.minMarginPerFrame = -30;
    o.minMarginOneWord = -30;
    // Within a second of other talk, within 24: what continuous talk passed
    // off as a phrase came at -25 and -26, each after a pause of 0.6 s,
    // while a command said on its own can come as low as -28.
    o.minMarginSoonAfterTalk = -24;
    o.talkPauseFrames = 100;
    o.minWordMargin = -40;
    // Once eight phrases have passed the fixed checks, a phrase must also
    // come within 20 of the median margin of the last twenty. A voice that
    // the model fits puts its commands far above -30, with near misses in
    // between. Four flite voices, one decoder each: held-out near misses
    // 23 -> 10 of 128, the tuning part 37 -> 16 of 384, commands 238 of 240
    // either way. The six espeak-ng voices, which it fits worse: near
    // misses 60 -> 52 of 768, commands 356 -> 355 of 360; all six through
    // one decoder, as a household would share it, 356 -> 351.
    o.usualMargin = {8, 20, 20, -8};
    // A margin within 3 of its limit is measured again at three more frame
    // phases and the four are averaged: the same command said twice swung
    // its worst word by up to 10 with where the frames fell (from -33 to -44).
    o.closeCallWithin = 3;
    // The search can finish a phrase by squeezing a missing edge word into
    // the onset or tail of other speech ("back" heard as "go back"), close
    // to the model's minimum of 3 frames per phone.
    o.minEdgeFramesPerPhone = 4;
    // Inside the phrase, only the minimum itself gives a missing word away
    // ("take notes" heard as "take a note", its "a" 3 frames long). Said
    // at 185 words a minute, commands' inner words kept 3.5 or more, and
    // none of 120 commands said at 200 and 230 was refused for it.
    o.minInnerFramesPerPhone = 3;
    // The words must cover the stretch: the pre-roll (25 frames) and the
    // onset (4) before them, the closing quiet (20) after them, and little
    // more; commands showed at most 30 and 32. Clear commands start 15
    // frames or more into the stretch. A first word that starts within 5
    // took in the quiet before the onset: a piece of longer speech, or the
    // noise floor under faint speech ("quieter" said at -30 dBFS over a
    // -65 dBFS floor always did). It must beat the loop by 18: over white
    // noise at 15 dB SNR, "quieter" heard as "play music" that way came at
    // -20, while commands came at -3 to -19 and, said faintly, at -17 to
    // -21.
    o.maxFramesBeforeWords = 45;
    o.minFramesBeforeWords = 5;
    o.minMarginFromStart = -18;
    o.maxFramesAfterWords = 50;
    // The quiet before a phrase scores about -20 per frame, -40 over white
    // noise at 15 dB SNR; other talk that ended in a phrase's words put
    // -60 and below there.
    o.minLeadScorePerFrame = -55;
    // A pause between a phrase's words: near misses that had their extra
    // words passed off as one ("stop and listen" heard as "stop
    // listening") put -89 to -130 there. But the fading murmur of "time"
    // before "is" was put there too, at -77 to -86 over a faint noise
    // floor, depending on where the frames fell: the limit keeps clear of
    // that, at the cost of the few near misses in between.
    o.minPauseScorePerFrame = -95;
    // A command comes after a pause: 0.6 s of quiet before it. Continuous
    // talk pauses for 0.2 to 0.7 s between its phrases.
    o.minQuietBeforeFrames = 60;
    // The phrase search and the loop score every senone in every frame, so
    // that each frame's scores are normalised by the same best senone and
    // the two path scores can be subtracted.
    o.engineArgs = {{"-compallsen", "yes"},
                     // Word exits get the same beam as the states within
                     // words. With the library's much narrower default, the
                     // silence before a phrase could be cut off a frame too
                     // early, depending on where the 10 ms frames happened to
                     // fall, and the first word was squeezed into a few frames.
                     {"-wbeam", "1e-48"}};
    // Within speech, sound 5 dB over the floor is still speech. Said
    // quietly over a fan, a phrase's soft sounds sink to a few dB over the
    // floor; at 8 dB the closure in "desk-top" read as 0.2 s of quiet and
    // cut the phrase, its first half heard as "go back". At 5 dB, commands
    // over white noise at 15 dB SNR were heard 89% of the time (at 8 dB,
    // 78%), and over pink noise 176 of 180 with 2 wrong (168 with 4 wrong).
    // Lower, pink noise's own ups and downs held stretches open: at 4 dB,
    // 161 of 180. Clean speech and the delay did not change.
    o.stillSpeechDb = 5;
    // 0.2 s of quiet ends a command; it is judged after the first 50 ms of
    // that quiet, so that decoding overlaps the rest of the wait.
    o.endSilenceMs = 200;
    o.decideAfterSilenceMs = 50;
    // Faint speech waits 0.3 s. Said at -30 dBFS over a fan's hum and hiss
    // (-52 and -60 dBFS), the pause in "show desktop" sank into the floor
    // for 0.2 to 0.24 s in 12 of 40 alignments of the noise, and "show"
    // alone was heard as "go back" in 5. Its loudest frame stood 25 to 30
    // dB over the floor; a command said over digital silence or a quiet
    // room stands 40 or more, and keeps the shorter wait. Over white noise
    // at 15 dB SNR, commands heard went from 160 to 162 of 180.
    o.faintSpeechDb = 30;
    o.faintEndSilenceMs = 300;
    // 4 s: every command said between pauses, at about 5 KB of the
    // engine's memory per frame.
    o.sharedScoreFrames = 400;
    return o;
}

namespace {

// PocketSphinx reports an alternative pronunciation as word(2).
std::string baseWord(std::string_view w) {
    if (!w.empty() && w.back() == ')') {
        auto open = w.rfind('(');
        if (open != std::string_view::npos && open > 0) return std::string(w.substr(0, open));
    }
    return std::string(w);
}

bool isFiller(std::string_view w) {
    return w.empty() || w.front() == '<' || w.front() == '[' || w.front() == '+' || w.front() == '(';
}

struct PsDeleter {
    void operator()(ps_decoder_t* p) const { ps_free(p); }
};
using PsPtr = std::unique_ptr<ps_decoder_t, PsDeleter>;

PsPtr makeDecoder(std::vector<std::pair<std::string, std::string>> args) {
    cmd_ln_t* config = cmd_ln_init(nullptr, ps_args(), TRUE, nullptr);
    if (!config) throw SphinxError("speech engine: cannot create a decoder configuration");
    for (const auto& [k, v] : args) {
        // cmd_ln_set_str_r copies the value; numeric options are parsed here.
        const arg_t* defn = ps_args();
        int type = ARG_STRING;
        for (; defn->name; ++defn)
            if (k == defn->name) { type = defn->type; break; }
        if (type & ARG_INTEGER) cmd_ln_set_int_r(config, k.c_str(), std::stol(v));
        else if (type & ARG_FLOATING) cmd_ln_set_float_r(config, k.c_str(), std::stod(v));
        else if (type & ARG_BOOLEAN) cmd_ln_set_boolean_r(config, k.c_str(), v == "yes");
        else cmd_ln_set_str_r(config, k.c_str(), v.c_str());
    }
    ps_decoder_t* ps = ps_init(config);
    cmd_ln_free_r(config);
    if (!ps) throw SphinxError("speech engine: the decoder could not be initialised");
    return PsPtr(ps);
}

}  // namespace

// The 39 phones of the dictionary. Each becomes a one-phone "word" of the
// rival decoder's free phone loop: whatever the phrases do not explain
// better than arbitrary phones is rejected.
constexpr const char* kPhones[] = {"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D",  "DH",
                                   "EH", "ER", "EY", "F",  "G",  "HH", "IH", "IY", "JH", "K",
                                   "L",  "M",  "N",  "NG", "OW", "OY", "P",  "R",  "S",  "SH",
                                   "T",  "TH", "UH", "UW", "V",  "W",  "Y",  "Z",  "ZH"};
constexpr std::string_view kPhonePrefix = "qm.phone.";

struct SphinxDecoder::Impl {
    DecoderOptions options;
    // One decoder, and so one copy of the acoustic model and dictionary,
    // with two searches: the phrases, and the free phone loop that a phrase
    // must come close to.
    PsPtr ps;
    std::unique_ptr<EngineWords> engineWords;  // what ps has been given
    bool rival = false;
    static constexpr const char* kLoopSearch = "loop";
    SpeechSegmenter segmenter;
    UsualMargin usualMargin;
    static constexpr const char* kBelowUsual = "far below this voice's usual margin";
    std::unique_ptr<DictionaryFile> dictionary;  // words reach the engine on first use
    // Where the engine leaves each decode's acoustic scores (empty path:
    // it does not), and how many utterances it has started, which names
    // the files.
    ScratchDir scores;
    unsigned utterances = 0;
    std::string failure;  // why the engine failed on a stretch, until reported
    std::size_t maxFrames = 0;  // longer stretches cannot be a phrase

    PhraseGrammar grammar;
    std::string searchName;
    int generation = 0;

    bool grammarReady = false;
    std::uint64_t consumed = 0;
    // The verdict on the open stretch once decideAfterSilenceMs of quiet
    // followed it, and the length of audio it was reached on.
    UtteranceReport early;
    std::size_t earlySamples = 0;

    SpeechStarted speechStarted;
    PhraseAccepted phraseAccepted;
    PhraseRefused phraseRefused;
    UtteranceObserver observer;

    explicit Impl(DecoderOptions o) : options(std::move(o)), usualMargin(options.usualMargin) {
        // Plain strings and fopen: std::filesystem would add most of a
        // megabyte of locale code to the Windows program. "/" separates on
        // both systems.
        const std::string hmm = options.modelDir + "/en-us";
        const std::string dict = options.modelDir + "/cmudict-en-us.dict";
        for (const std::string& p : {hmm + "/mdef", dict}) {
            std::FILE* f = std::fopen(p.c_str(), "rb");
            if (!f)
                throw SphinxError("speech model not found: " + p +
                                  " is missing (model directory " + options.modelDir + ")");
            std::fclose(f);
        }
        // The engine's log goes nowhere; a null device by name would not
        // exist on every system.
        err_set_logfp(nullptr);
        SpeechSegmenter::Options so;
        so.endSilenceFrames = std::max(1, options.endSilenceMs / 10);
        so.quietDb = options.stillSpeechDb;
        so.faintDb = options.faintSpeechDb;
        so.faintEndSilenceFrames = options.faintEndSilenceMs / 10;
        segmenter = SpeechSegmenter(so);
        std::vector<std::pair<std::string, std::string>> args{
            {"-hmm", hmm},
            // The engine starts with no words: a grammar's words come from
            // the dictionary file as it needs them. The engine insists on a
            // file, so it gets the system's empty one.
            {"-dict", QM_NULL_DEVICE},
            // Each stretch of speech is decoded whole, with the cepstral
            // mean of that stretch alone (the model's own batch
            // normalisation): what was heard before, digital silence
            // included, and the input level cannot change the result. The
            // segmenter has already cut the stretch; the engine must not
            // drop any of it.
            {"-remove_silence", "no"},
            // The engine's spectral noise subtraction keeps its estimate from
            // one utterance to the next, so the same stretch decoded
            // differently after different talk. The level normalisation
            // already gives every stretch the same faint noise floor.
            {"-remove_noise", "no"},
            // Scores from the Viterbi backtrace are all the decision needs;
            // the lattice pass would only cost time.
            {"-bestpath", "no"},
        };
        if (options.sharedScoreFrames > 0 && scores.create("quillmere-scores")) {
            args.emplace_back("-senlogdir", scores.path());
            // The engine's feature buffer starts this many frames long. A
            // stretch decoded whole that outgrows it gets a longer buffer
            // but not a longer table of score-file positions, which reading
            // scores back writes into: only stretches that fit read back.
            args.emplace_back("-pl_window", std::to_string(options.sharedScoreFrames));
        }
        args.insert(args.end(), options.engineArgs.begin(), options.engineArgs.end());
        dictionary = std::make_unique<DictionaryFile>(dict);
        ps = makeDecoder(std::move(args));
        engineWords = std::make_unique<EngineWords>(ps.get());
        rival = options.rivalPhoneProb > 0;
        if (rival) {
            for (const char* ph : kPhones) {
                const std::string w = std::string(kPhonePrefix) + ph;
                if (ps_add_word(ps.get(), w.c_str(), ph, FALSE) < 0)
                    throw SphinxError("speech engine: cannot add the phone loop to the dictionary");
            }
            logmath_t* lm = ps_get_logmath(ps.get());
            const float lw = cmd_ln_float32_r(ps_get_config(ps.get()), "-lw");
            fsg_model_t* fsg = fsg_model_init(kLoopSearch, lm, lw, 3);
            fsg->start_state = 0;
            fsg->final_state = 1;
            const int32_t phoneLogp = static_cast<int32_t>(logmath_log(lm, options.rivalPhoneProb) * lw);
            fsg_model_null_trans_add(fsg, 0, 2, 0);
            for (const char* ph : kPhones) {
                const std::string w = std::string(kPhonePrefix) + ph;
                const int wid = fsg_model_word_add(fsg, w.c_str());
                fsg_model_trans_add(fsg, 2, 2, phoneLogp, wid);
                fsg_model_trans_add(fsg, 2, 1, phoneLogp, wid);
            }
            const int rc = ps_set_fsg(ps.get(), kLoopSearch, fsg);
            fsg_model_free(fsg);
            if (rc < 0) throw SphinxError("speech engine: the phone loop could not be built");
        }
    }

    void abandonUtterance() {
        segmenter.reset();
        earlySamples = 0;
    }

    int decideFrames() const { return std::max(1, std::min(options.decideAfterSilenceMs, options.endSilenceMs) / 10); }

    int phoneCount(const std::string& word) {
        const std::string* phones = engineWords->phones(word);
        return phones ? sphinx::phoneCount(*phones) : 0;
    }

    // Hands the engine every pronunciation that the dictionary file has for
    // w; false when it has none.
    bool addFromDictionary(const std::string& w) {
        bool added = false;
        for (const auto& [name, phones] : dictionary->lookup(w))
            added = ps_add_word(ps.get(), name.c_str(), phones.c_str(), FALSE) >= 0 || added;
        return added;
    }

    WordSource fromDictionary() {
        return [this](const std::string& w) { return addFromDictionary(w); };
    }

    void setPhrases(const std::vector<std::string>& list) {
        abandonUtterance();
        grammar = PhraseGrammar(list, *engineWords, fromDictionary());

        grammarReady = false;
        if (grammar.empty()) return;  // nothing can be heard: stay deaf

        fsg_model_t* fsg = grammar.makeFsg(*engineWords, "phrases");
        // The old search goes before the new one is built, so that a large
        // table is not held twice.
        if (!searchName.empty()) ps_unset_search(ps.get(), searchName.c_str());
        searchName = "phrases" + std::to_string(++generation);
        const int rc = ps_set_fsg(ps.get(), searchName.c_str(), fsg);
        fsg_model_free(fsg);
        if (rc < 0) throw SphinxError("speech engine: the phrase grammar could not be built");
        if (ps_set_search(ps.get(), searchName.c_str()) < 0)
            throw SphinxError("speech engine: the phrase grammar could not be selected");
        grammarReady = true;
        limitLength();
    }

    // A stretch longer than the longest phrase said slowly is other talk:
    // it is refused without decoding, which is most of what continuous
    // talk costs.
    void limitLength() {
        int longest = 0;
        for (const auto& [words, idx] : grammar.byWords()) {
            int phones = 0;
            std::size_t at = 0;
            while (at <= words.size()) {
                const std::size_t end = std::min(words.find(' ', at), words.size());
                phones += phoneCount(words.substr(at, end - at));
                at = end + 1;
            }
            longest = std::max(longest, phones);
        }
        maxFrames = std::size_t(longest * options.maxFramesPerPhone + options.endSilenceMs / 10 + 60);
        segmenter.setMaxFrames(maxFrames + 1);
    }

    // With the loop search's result current: how far the phrase's worst
    // word falls behind the loop's phones over the same frames. Notes the
    // loop's own score per frame over the words in the report, for tuning.
    int worstWordMargin(UtteranceReport& r) {
        // Acoustic score and frames of the loop's phones over each phrase word.
        std::vector<const Segment*> words;
        for (const Segment& g : r.segments)
            if (g.phones > 0) words.push_back(&g);
        std::vector<std::int64_t> loopAscr(words.size(), 0);
        std::vector<int> loopFrames(words.size(), 0);
        for (ps_seg_t* seg = ps_seg_iter(ps.get()); seg; seg = ps_seg_next(seg)) {
            int s = 0, e = 0;
            ps_seg_frames(seg, &s, &e);
            const int mid = (s + e) / 2;
            std::int32_t ascr = 0, lscr = 0, lback = 0;
            ps_seg_prob(seg, &ascr, &lscr, &lback);
            for (std::size_t k = 0; k < words.size(); ++k)
                if (mid >= words[k]->startFrame && mid <= words[k]->endFrame) {
                    loopAscr[k] += ascr;
                    loopFrames[k] += e - s + 1;
                }
        }
        int worst = 0;
        std::int64_t allAscr = 0, allFrames = 0;
        for (std::size_t k = 0; k < words.size(); ++k) { allAscr += loopAscr[k]; allFrames += loopFrames[k]; }
        r.loopAscrPerFrame = allFrames > 0 ? int(allAscr / allFrames) : 0;
        for (std::size_t k = 0; k < words.size(); ++k) {
            const int frames = words[k]->endFrame - words[k]->startFrame + 1;
            const int m = loopFrames[k] > 0 ? int(words[k]->ascr / frames - loopAscr[k] / loopFrames[k]) : 0;
            if (k == 0 || m < worst) worst = m;
        }
        return worst;
    }

    // Each utterance that the engine starts writes its scores to a file
    // named by its number, once there is a folder for them.
    void startUtterance() {
        ++utterances;
        // The engine refuses to start one whose score file it cannot make.
        if (ps_start_utt(ps.get()) < 0)
            throw SphinxError(scores.path().empty() ? "speech engine: cannot start listening"
                                                    : "speech engine: cannot start listening (cannot write in " +
                                                          scores.path() + ")");
    }

    // Decodes the whole stretch with the current search; the path score.
    std::int32_t decode(const std::vector<std::int16_t>& audio) {
        startUtterance();
        ps_process_raw(ps.get(), audio.data(), audio.size(), FALSE, TRUE);
        ps_end_utt(ps.get());
        std::int32_t score = 0;
        ps_get_hyp(ps.get(), &score);
        return score;
    }

    // The loop's score on the audio that the phrase search just decoded:
    // from the scores the engine left, when it could, else from the audio.
    std::int32_t decodeLoop(const std::vector<std::int16_t>& audio) {
        const std::size_t frames = audio.size() / SpeechSegmenter::kFrame + 1;
        std::FILE* in = nullptr;
        if (!scores.path().empty() && frames < static_cast<std::size_t>(options.sharedScoreFrames)) {
            char name[16];
            std::snprintf(name, sizeof name, "%09u", utterances - 1);
            in = std::fopen((scores.path() + "/" + name + ".sen").c_str(), "rb");
        }
        if (!in) return decode(audio);
        ++utterances;  // the engine starts one of its own for it
        const int read = ps_decode_senscr(ps.get(), in);
        std::fclose(in);
        if (read <= 0) return decode(audio);
        std::int32_t score = 0;
        ps_get_hyp(ps.get(), &score);
        return score;
    }

    // Decodes a stretch and runs every check on the phrase heard. A stretch
    // the engine fails on is refused, so that what speech-started began
    // still ends; the cause reaches the caller once the audio in hand has
    // been taken in.
    UtteranceReport judge(std::vector<std::int16_t> level, int quietBefore) {
        try {
            return judgeOrThrow(std::move(level), quietBefore);
        } catch (const SphinxError& e) {
            failure = e.what();
            UtteranceReport r;
            r.rejectedBy = "the speech engine failed";
            return r;
        }
    }

    UtteranceReport judgeOrThrow(std::vector<std::int16_t> level, int quietBefore) {
        // The folder for the engine's scores is made again if a cleaner of
        // old temporary files took it; what the engine made of the speech
        // stays on disk no longer than the decision takes. The engine writes
        // into whatever stands at the folder's name, so nothing that is not
        // our own private folder may stand there.
        struct ScoresForOneDecision {
            ScratchDir& dir;
            explicit ScoresForOneDecision(ScratchDir& d) : dir(d) {
                if (!dir.path().empty() && !dir.ensure())
                    throw SphinxError("speech engine: cannot keep its work in " + dir.path() +
                                      ": the folder is gone and cannot be made again, or is not this user's own");
            }
            ~ScoresForOneDecision() { dir.clear(); }
        } scoresForOneDecision{scores};
        if (options.noiseReduction.overSubtraction > 0) reduceNoise(level, segmenter.quietLead(), options.noiseReduction);
        normaliseLevel(level, options.loudestDb, options.noiseBelowDb);
        UtteranceReport r = hear(level);
        if (!r.rivalHeard) return r;
        // Where the 10 ms frames fall on the speech moves the margins by a
        // few points: said again, the same command could land either side
        // of a limit. A close call is measured again on frames shifted by a
        // quarter, a half and three quarters of a frame, and the
        // measurements that heard the same words are averaged.
        if (options.closeCallWithin > 0 && closeCall(r, quietBefore)) {
            int perFrame = r.marginPerFrame, worstWord = r.worstWordMargin, n = 1;
            for (std::size_t quarter = 1; quarter < 4; ++quarter) {
                const std::size_t skip = std::min(quarter * SpeechSegmenter::kFrame / 4, level.size());
                const UtteranceReport again = hear({level.begin() + std::ptrdiff_t(skip), level.end()});
                if (!again.rivalHeard || again.words != r.words) continue;
                perFrame += again.marginPerFrame;
                worstWord += again.worstWordMargin;
                ++n;
            }
            r.marginPerFrame = perFrame / n;
            r.worstWordMargin = worstWord / n;
            r.measuredAgain = n > 1;
        }
        applyMargins(r, quietBefore);
        return r;
    }

    int minMarginFor(const UtteranceReport& r, int quietBefore) const {
        int phraseWords = 0;
        for (const Segment& g : r.segments) phraseWords += g.phones > 0;
        int minMargin = phraseWords == 1 ? options.minMarginOneWord : options.minMarginPerFrame;
        if (quietBefore < options.talkPauseFrames) minMargin = std::max(minMargin, options.minMarginSoonAfterTalk);
        if (r.fromStart) minMargin = std::max(minMargin, options.minMarginFromStart);
        return minMargin;
    }

    bool closeCall(const UtteranceReport& r, int quietBefore) const {
        const int within = options.closeCallWithin;
        return std::abs(r.marginPerFrame - minMarginFor(r, quietBefore)) <= within ||
               std::abs(r.worstWordMargin - options.minWordMargin) <= within ||
               (usualMargin.limit() != INT_MIN && std::abs(r.marginPerFrame - usualMargin.limit()) <= within);
    }

    // The checks against the phone loop, on a phrase that passed the others.
    void applyMargins(UtteranceReport& r, int quietBefore) const {
        if (r.marginPerFrame < minMarginFor(r, quietBefore)) {
            r.accepted = false;
            r.rejectedBy = "phone loop margin";
        } else if (r.worstWordMargin < options.minWordMargin) {
            r.accepted = false;
            r.rejectedBy = "a word far behind the loop";
        } else if (r.marginPerFrame < usualMargin.limit()) {
            r.accepted = false;
            r.rejectedBy = kBelowUsual;
        }
    }

    // Decodes a prepared stretch and runs every check that does not compare
    // with the phone loop; when those pass, hears it with the loop too.
    UtteranceReport hear(const std::vector<std::int16_t>& level) {
        UtteranceReport r;
        r.score = decode(level);
        const char* hyp = ps_get_hyp(ps.get(), &r.score);
        r.posterior = hyp ? ps_get_prob(ps.get()) : 0;
        std::string words;
        for (ps_seg_t* seg = hyp ? ps_seg_iter(ps.get()) : nullptr; seg; seg = ps_seg_next(seg)) {
            Segment g;
            g.word = ps_seg_word(seg);
            ps_seg_frames(seg, &g.startFrame, &g.endFrame);
            std::int32_t lscr = 0, lback = 0;
            ps_seg_prob(seg, &g.ascr, &lscr, &lback);
            const std::string w = baseWord(g.word);
            if (!isFiller(w)) {
                g.phones = phoneCount(g.word);
                r.phones += g.phones;
                r.phraseFrames += g.endFrame - g.startFrame + 1;
                r.phraseAscr += g.ascr;
                if (!words.empty()) words += ' ';
                words += w;
            }
            r.segments.push_back(std::move(g));
        }
        r.words = words;
        {
            const Segment* first = nullptr;
            const Segment* last = nullptr;
            for (const Segment& g : r.segments)
                if (g.phones > 0) {
                    if (!first) first = &g;
                    last = &g;
                }
            auto perPhone = [](const Segment* g) { return double(g->endFrame - g->startFrame + 1) / g->phones; };
            if (first) {
                r.edgeFramesPerPhone = std::min(perPhone(first), perPhone(last));
                for (const Segment* g = first + 1; g < last; ++g)
                    if (g->phones > 0 && (r.innerFramesPerPhone == 0 || perPhone(g) < r.innerFramesPerPhone))
                        r.innerFramesPerPhone = perPhone(g);
                r.framesBeforeWords = first->startFrame;
                r.framesAfterWords = r.segments.back().endFrame - last->endFrame;
                std::int64_t leadAscr = 0;
                for (const Segment* g = r.segments.data(); g != first; ++g) leadAscr += g->ascr;
                if (r.framesBeforeWords > 0) r.leadScorePerFrame = int(leadAscr / r.framesBeforeWords);
                for (const Segment* g = first + 1; g < last; ++g)
                    if (g->phones == 0)
                        r.pauseScorePerFrame = std::min(r.pauseScorePerFrame, int(g->ascr / (g->endFrame - g->startFrame + 1)));
            }
        }
        if (r.phraseFrames > 0) r.phraseAscrPerFrame = r.phraseAscr / r.phraseFrames;
        r.fromStart = r.framesBeforeWords < options.minFramesBeforeWords;
        r.phraseIndex = grammar.indexOfWords(words);
        r.accepted = r.phraseIndex >= 0;
        if (r.accepted && r.edgeFramesPerPhone <= options.minEdgeFramesPerPhone) {
            r.accepted = false;
            r.rejectedBy = "edge word too short";
        }
        if (r.accepted && r.innerFramesPerPhone > 0 && r.innerFramesPerPhone <= options.minInnerFramesPerPhone) {
            r.accepted = false;
            r.rejectedBy = "inner word too short";
        }
        if (r.accepted &&
            (r.framesBeforeWords > options.maxFramesBeforeWords || r.framesAfterWords > options.maxFramesAfterWords)) {
            r.accepted = false;
            r.rejectedBy = "speech around the phrase";
        }
        if (r.accepted && r.leadScorePerFrame < options.minLeadScorePerFrame) {
            r.accepted = false;
            r.rejectedBy = "speech passed off as the quiet before the phrase";
        }
        if (r.accepted && r.pauseScorePerFrame < options.minPauseScorePerFrame) {
            r.accepted = false;
            r.rejectedBy = "speech passed off as a pause between words";
        }
        if (rival && r.accepted) {
            if (ps_set_search(ps.get(), kLoopSearch) < 0) throw SphinxError("speech engine: the phone loop is missing");
            r.rivalScore = decodeLoop(level);
            r.worstWordMargin = worstWordMargin(r);
            if (ps_set_search(ps.get(), searchName.c_str()) < 0)
                throw SphinxError("speech engine: the phrase grammar could not be selected");
            // Per frame of the phrase's own words: the silence around them
            // scores alike on both paths and would only dilute the margin.
            r.marginPerFrame = r.phraseFrames > 0 ? (r.score - r.rivalScore) / r.phraseFrames : 0;
            r.rivalHeard = true;
        }
        return r;
    }

    // What a stretch is judged on: its audio up to decideFrames() of quiet
    // after its speech (dropping the rest of trailingQuiet), then the quiet
    // that confirms the pause, taken from the stretch's own opening quiet.
    // The decoder sees a phrase closed by as much quiet as the segmenter
    // waits for, as it would at the end of the stretch, but can be judged
    // before that quiet has been heard.
    // Samples of a stretch ending in trailingQuiet quiet frames that come
    // before the point where it is judged.
    std::size_t decidedLength(std::size_t samples, int trailingQuiet) const {
        const std::size_t drop = std::size_t(std::max(0, trailingQuiet - decideFrames())) * SpeechSegmenter::kFrame;
        return samples > drop ? samples - drop : 0;
    }

    std::vector<std::int16_t> judgedAudio(const std::vector<std::int16_t>& audio, int trailingQuiet) const {
        const std::size_t keep = decidedLength(audio.size(), trailingQuiet);
        const std::size_t confirm =
            std::size_t(std::max(0, segmenter.endSilenceFrames() - decideFrames())) * SpeechSegmenter::kFrame;
        const std::size_t pad = std::min({confirm, segmenter.quietLead(), keep});
        std::vector<std::int16_t> out(audio.begin(), audio.begin() + std::ptrdiff_t(keep));
        out.insert(out.end(), audio.begin(), audio.begin() + std::ptrdiff_t(pad));
        return out;
    }

    void closeUtterance(const std::vector<std::int16_t>& audio, int trailingQuiet) {
        UtteranceReport r;
        // The cheap checks first: most of continuous talk is refused here,
        // before any decoding.
        const int frames = static_cast<int>(segmenter.frames());
        const int quietBefore = segmenter.quietBefore();
        if (static_cast<std::size_t>(frames) > maxFrames) r.rejectedBy = "too long";
        else if (quietBefore < options.minQuietBeforeFrames) r.rejectedBy = "no pause before";
        // The early verdict stands when no speech came after it.
        else if (earlySamples == decidedLength(audio.size(), trailingQuiet)) r = std::move(early);
        else r = judge(judgedAudio(audio, trailingQuiet), quietBefore);
        earlySamples = 0;
        // Learnt from final verdicts only: an early one may be heard again.
        if (r.rivalHeard && (r.accepted || r.rejectedBy == kBelowUsual)) usualMargin.learn(r.marginPerFrame);
        r.frames = frames;
        r.quietBefore = quietBefore;
        r.endSample = consumed;
        if (observer) observer(r);
        // Every stretch began with speech-started; a refused one ends it too.
        if (r.accepted) {
            const auto idx = static_cast<std::size_t>(r.phraseIndex);
            if (phraseAccepted) phraseAccepted(idx, grammar.text(idx));
        } else if (phraseRefused) {
            phraseRefused();
        }
    }

    void process(const std::int16_t* pcm, std::size_t count) {
        if (!grammarReady) {
            consumed += count;
            return;
        }
        // One frame at a time so that each report carries its own position.
        constexpr std::size_t kChunk = SpeechSegmenter::kFrame;
        while (count > 0) {
            const std::size_t n = std::min(count, kChunk);
            consumed += n;
            segmenter.process(
                pcm, n,
                [this] {
                    if (speechStarted) speechStarted();
                },
                [this](const std::vector<std::int16_t>& audio) { closeUtterance(audio, segmenter.closingQuiet()); });
            // Judged as soon as the speech has been followed by enough
            // quiet; if the speaker goes on, the verdict is dropped.
            if (segmenter.quietRun() == decideFrames() && segmenter.frames() <= maxFrames &&
                segmenter.quietBefore() >= options.minQuietBeforeFrames) {
                early = judge(judgedAudio(segmenter.openAudio(), decideFrames()), segmenter.quietBefore());
                earlySamples = segmenter.openAudio().size();
            }
            pcm += n;
            count -= n;
        }
        throwFailure();
    }

    void finish() {
        if (!grammarReady) return;
        const int trailingQuiet = segmenter.quietRun();
        segmenter.finish([&](const std::vector<std::int16_t>& audio) { closeUtterance(audio, trailingQuiet); });
        throwFailure();
    }

    void throwFailure() {
        if (failure.empty()) return;
        const std::string what = std::move(failure);
        failure.clear();
        throw SphinxError(what);
    }
};

SphinxDecoder::SphinxDecoder(DecoderOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

SphinxDecoder::SphinxDecoder(const std::vector<std::string>& phrases, DecoderOptions options)
    : SphinxDecoder(std::move(options)) {
    setPhrases(phrases);
}

SphinxDecoder::~SphinxDecoder() {
    if (impl_) impl_->abandonUtterance();
}

void SphinxDecoder::setPhrases(const std::vector<std::string>& phrases) { impl_->setPhrases(phrases); }
const std::vector<std::string>& SphinxDecoder::unheardPhrases() const { return impl_->grammar.unheard(); }
const std::vector<std::string>& SphinxDecoder::unknownWords() const { return impl_->grammar.unknownWords(); }
const std::vector<std::string>& SphinxDecoder::longPhrases() const { return impl_->grammar.tooLong(); }
std::size_t SphinxDecoder::hearablePhraseCount() const { return impl_->grammar.hearable(); }

int SphinxDecoder::phraseIndexOf(const std::string& spoken) const {
    return impl_->grammar.indexOfText(spoken, *impl_->engineWords, impl_->fromDictionary());
}
void SphinxDecoder::onSpeechStarted(SpeechStarted cb) { impl_->speechStarted = std::move(cb); }
void SphinxDecoder::onPhraseAccepted(PhraseAccepted cb) { impl_->phraseAccepted = std::move(cb); }
void SphinxDecoder::onPhraseRefused(PhraseRefused cb) { impl_->phraseRefused = std::move(cb); }
void SphinxDecoder::onUtterance(UtteranceObserver cb) { impl_->observer = std::move(cb); }
void SphinxDecoder::process(const std::int16_t* pcm, std::size_t count) { impl_->process(pcm, count); }

void SphinxDecoder::finish() { impl_->finish(); }

void SphinxDecoder::reset() { impl_->abandonUtterance(); }
bool SphinxDecoder::inSpeech() const { return impl_->segmenter.inSpeech(); }
std::uint64_t SphinxDecoder::samplesConsumed() const { return impl_->consumed; }

}  // namespace qm::sphinx
