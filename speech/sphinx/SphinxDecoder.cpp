#include "SphinxDecoder.h"

#include "DictionaryFile.h"
#include "SpeechSegmenter.h"

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/logmath.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
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
    o.minWordMargin = -40;
    // The search can finish a phrase by squeezing a missing edge word into
    // the onset or tail of other speech ("back" heard as "go back"), close
    // to the model's minimum of 3 frames per phone.
    o.minEdgeFramesPerPhone = 4;
    // The words must cover the stretch: the pre-roll (25 frames) and the
    // onset (4) before them, the closing quiet (20) after them, and little
    // more; commands showed at most 30 and 32.
    o.maxFramesBeforeWords = 45;
    o.maxFramesAfterWords = 50;
    // A command comes after a pause: 0.6 s of quiet before it. Continuous
    // talk pauses for 0.2 to 0.7 s between its phrases.
    o.minQuietBeforeFrames = 60;
    // The phrase search and the loop score every senone in every frame, so
    // that each frame's scores are normalised by the same best senone and
    // the two path scores can be subtracted.
    o.engineArgs = {{"-compallsen", "yes"}};
    o.endSilenceMs = 200;
    return o;
}

namespace {

bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Characters that may stay at the edge of a word: letters, digits and bytes
// of multi-byte UTF-8 sequences (which the dictionary will not know, so they
// end up reported as unknown words rather than silently dropped).
bool isWordEdge(unsigned char c) { return std::isalnum(c) != 0 || c >= 0x80; }

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

std::vector<std::string> normalisePhrase(const std::string& phrase) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < phrase.size()) {
        while (i < phrase.size() && isBlank(static_cast<unsigned char>(phrase[i]))) ++i;
        std::size_t start = i;
        while (i < phrase.size() && !isBlank(static_cast<unsigned char>(phrase[i]))) ++i;
        std::size_t end = i;
        while (start < end && !isWordEdge(static_cast<unsigned char>(phrase[start]))) ++start;
        while (end > start && !isWordEdge(static_cast<unsigned char>(phrase[end - 1]))) --end;
        if (start == end) continue;
        std::string w = phrase.substr(start, end - start);
        for (char& c : w)
            if (static_cast<unsigned char>(c) < 0x80) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        words.push_back(std::move(w));
    }
    return words;
}

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
    bool rival = false;
    static constexpr const char* kLoopSearch = "loop";
    SpeechSegmenter segmenter;
    std::unique_ptr<DictionaryFile> dictionary;  // words reach the engine on first use
    std::size_t maxFrames = 0;  // longer stretches cannot be a phrase

    std::vector<std::string> unheard;
    std::vector<std::string> unknown;
    std::unordered_map<std::string, std::size_t> byWords;  // normalised words -> first phrase index
    std::vector<std::string> texts;                         // original phrase texts
    std::size_t hearable = 0;
    std::string searchName;
    int generation = 0;

    bool grammarReady = false;
    std::uint64_t consumed = 0;

    SpeechStarted speechStarted;
    PhraseAccepted phraseAccepted;
    UtteranceObserver observer;

    explicit Impl(DecoderOptions o) : options(std::move(o)) {
        namespace fs = std::filesystem;
        const fs::path dir(options.modelDir);
        const fs::path hmm = dir / "en-us";
        const fs::path dict = dir / "cmudict-en-us.dict";
        for (const fs::path& p : {hmm / "mdef", dict}) {
            std::error_code ec;
            if (!fs::exists(p, ec))
                throw SphinxError("speech model not found: " + p.string() +
                                  " is missing (model directory " + options.modelDir + ")");
        }
        SpeechSegmenter::Options so;
        so.endSilenceFrames = std::max(1, options.endSilenceMs / 10);
        segmenter = SpeechSegmenter(so);
        std::vector<std::pair<std::string, std::string>> args{
            {"-hmm", hmm.string()},
            {"-dict", "/dev/null"},
            {"-logfn", "/dev/null"},
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
        args.insert(args.end(), options.engineArgs.begin(), options.engineArgs.end());
        dictionary = std::make_unique<DictionaryFile>(dict.string());
        ps = makeDecoder(std::move(args));
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

    void abandonUtterance() { segmenter.reset(); }

    int phoneCount(const char* word) {
        char* pron = ps_lookup_word(ps.get(), word);
        if (!pron) return 0;
        int n = 0;
        bool inToken = false;
        for (const char* c = pron; *c; ++c) {
            const bool blank = *c == ' ';
            if (!blank && !inToken) ++n;
            inToken = !blank;
        }
        ckd_free(pron);
        return n;
    }

    bool known(const std::string& w) {
        char* pron = ps_lookup_word(ps.get(), w.c_str());
        if (!pron && addFromDictionary(w)) pron = ps_lookup_word(ps.get(), w.c_str());
        if (!pron) return false;
        ckd_free(pron);
        return true;
    }

    // Hands the engine every pronunciation that the dictionary file has for
    // w; false when it has none.
    bool addFromDictionary(const std::string& w) {
        bool added = false;
        for (const auto& [name, phones] : dictionary->lookup(w))
            added = ps_add_word(ps.get(), name.c_str(), phones.c_str(), FALSE) >= 0 || added;
        return added;
    }

    // Splits one normalised token into dictionary words: as is when the
    // dictionary knows it, else at inner hyphens, dots and underscores
    // ("e-mail" -> e mail). Returns false when some part is unknown.
    bool lookup(const std::string& token, std::vector<std::string>& out) {
        if (known(token)) {
            out.push_back(token);
            return true;
        }
        std::vector<std::string> parts;
        std::string cur;
        for (char c : token) {
            if (c == '-' || c == '.' || c == '_') {
                if (!cur.empty()) parts.push_back(std::move(cur));
                cur.clear();
            } else {
                cur += c;
            }
        }
        if (!cur.empty()) parts.push_back(std::move(cur));
        if (parts.size() < 2) return false;
        for (const auto& p : parts)
            if (!known(p)) return false;
        out.insert(out.end(), parts.begin(), parts.end());
        return true;
    }

    void setPhrases(const std::vector<std::string>& list) {
        abandonUtterance();
        unheard.clear();
        unknown.clear();
        byWords.clear();
        texts = list;
        hearable = 0;

        // Word table local to this grammar and a prefix tree over phrases,
        // so that phrases sharing their opening words share states.
        std::unordered_map<std::string, int> wordIds;
        std::vector<std::string> wordList;
        std::unordered_set<std::string> unknownSeen;
        struct Arc { int from, to, word; };
        std::vector<Arc> arcs;
        std::unordered_map<std::uint64_t, int> inner;   // (state, word) -> next state
        std::unordered_set<std::uint64_t> finalArcs;    // (state, word) -> final
        const int start = 0, final_ = 1;
        int nStates = 2;
        auto key = [](int s, int w) { return (static_cast<std::uint64_t>(s) << 32) | static_cast<std::uint32_t>(w); };

        for (std::size_t idx = 0; idx < list.size(); ++idx) {
            std::vector<std::string> words;
            bool ok = true;
            for (const auto& tok : normalisePhrase(list[idx])) {
                if (!lookup(tok, words)) {
                    ok = false;
                    if (unknownSeen.insert(tok).second) unknown.push_back(tok);
                }
            }
            if (!ok || words.empty()) {
                unheard.push_back(list[idx]);
                continue;
            }
            ++hearable;
            std::string joined;
            for (const auto& w : words) {
                if (!joined.empty()) joined += ' ';
                joined += w;
            }
            // Same words as an earlier phrase: heard as that one.
            if (!byWords.emplace(joined, idx).second) continue;
            int s = start;
            for (std::size_t i = 0; i < words.size(); ++i) {
                auto [it, fresh] = wordIds.emplace(words[i], static_cast<int>(wordList.size()));
                if (fresh) wordList.push_back(words[i]);
                const int w = it->second;
                if (i + 1 == words.size()) {
                    if (finalArcs.insert(key(s, w)).second) arcs.push_back({s, final_, w});
                } else {
                    auto [nx, made] = inner.emplace(key(s, w), nStates);
                    if (made) {
                        arcs.push_back({s, nStates, w});
                        ++nStates;
                    }
                    s = nx->second;
                }
            }
        }

        grammarReady = false;
        if (byWords.empty()) return;  // nothing can be heard: stay deaf

        logmath_t* lm = ps_get_logmath(ps.get());
        const float lw = cmd_ln_float32_r(ps_get_config(ps.get()), "-lw");
        fsg_model_t* fsg = fsg_model_init("phrases", lm, lw, nStates);
        fsg->start_state = start;
        fsg->final_state = final_;
        // Flat arcs: a long list must not make each phrase less likely than
        // the phone loop, or rejection would depend on the list's length.
        for (const Arc& a : arcs) {
            const int wid = fsg_model_word_add(fsg, wordList[static_cast<std::size_t>(a.word)].c_str());
            fsg_model_trans_add(fsg, a.from, a.to, 0, wid);
        }

        const std::string previous = searchName;
        searchName = "phrases" + std::to_string(++generation);
        const int rc = ps_set_fsg(ps.get(), searchName.c_str(), fsg);
        fsg_model_free(fsg);
        if (rc < 0) throw SphinxError("speech engine: the phrase grammar could not be built");
        if (ps_set_search(ps.get(), searchName.c_str()) < 0)
            throw SphinxError("speech engine: the phrase grammar could not be selected");
        if (!previous.empty()) ps_unset_search(ps.get(), previous.c_str());
        grammarReady = true;
        limitLength();
    }

    // A stretch longer than the longest phrase said slowly is other talk:
    // it is refused without decoding, which is most of what continuous
    // talk costs.
    void limitLength() {
        int longest = 0;
        for (const auto& [words, idx] : byWords) {
            int phones = 0;
            std::size_t at = 0;
            while (at <= words.size()) {
                const std::size_t end = std::min(words.find(' ', at), words.size());
                phones += phoneCount(words.substr(at, end - at).c_str());
                at = end + 1;
            }
            longest = std::max(longest, phones);
        }
        maxFrames = std::size_t(longest * options.maxFramesPerPhone + options.endSilenceMs / 10 + 60);
        segmenter.setMaxFrames(maxFrames + 1);
    }

    // With the loop search's result current: how far the phrase's worst
    // word falls behind the loop's phones over the same frames.
    int worstWordMargin(const UtteranceReport& r) {
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
        for (std::size_t k = 0; k < words.size(); ++k) {
            const int frames = words[k]->endFrame - words[k]->startFrame + 1;
            const int m = loopFrames[k] > 0 ? int(words[k]->ascr / frames - loopAscr[k] / loopFrames[k]) : 0;
            if (k == 0 || m < worst) worst = m;
        }
        return worst;
    }

    // Decodes the whole stretch with the current search; the path score.
    std::int32_t decode(const std::vector<std::int16_t>& audio) {
        if (ps_start_utt(ps.get()) < 0) throw SphinxError("speech engine: cannot start listening");
        ps_process_raw(ps.get(), audio.data(), audio.size(), FALSE, TRUE);
        ps_end_utt(ps.get());
        std::int32_t score = 0;
        ps_get_hyp(ps.get(), &score);
        return score;
    }

    void closeUtterance(const std::vector<std::int16_t>& audio) {
        UtteranceReport r;
        r.endSample = consumed;
        r.frames = static_cast<int>(segmenter.frames());
        r.quietBefore = segmenter.quietBefore();
        // The cheap checks first: most of continuous talk is refused here,
        // before any decoding.
        if (static_cast<std::size_t>(r.frames) > maxFrames) r.rejectedBy = "too long";
        else if (r.quietBefore < options.minQuietBeforeFrames) r.rejectedBy = "no pause before";
        if (*r.rejectedBy) {
            if (observer) observer(r);
            return;
        }
        std::vector<std::int16_t> level(audio);
        normaliseLevel(level, options.loudestDb, options.noiseBelowDb);
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
                g.phones = phoneCount(g.word.c_str());
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
                r.framesBeforeWords = first->startFrame;
                r.framesAfterWords = r.segments.back().endFrame - last->endFrame;
            }
        }
        if (r.phraseFrames > 0) r.phraseAscrPerFrame = r.phraseAscr / r.phraseFrames;
        if (auto found = byWords.find(words); found != byWords.end())
            r.phraseIndex = static_cast<int>(found->second);
        r.accepted = r.phraseIndex >= 0;
        if (r.accepted && r.edgeFramesPerPhone <= options.minEdgeFramesPerPhone) {
            r.accepted = false;
            r.rejectedBy = "edge word too short";
        }
        if (r.accepted &&
            (r.framesBeforeWords > options.maxFramesBeforeWords || r.framesAfterWords > options.maxFramesAfterWords)) {
            r.accepted = false;
            r.rejectedBy = "speech around the phrase";
        }
        if (rival && r.accepted) {
            if (ps_set_search(ps.get(), kLoopSearch) < 0) throw SphinxError("speech engine: the phone loop is missing");
            r.rivalScore = decode(level);
            r.worstWordMargin = worstWordMargin(r);
            if (ps_set_search(ps.get(), searchName.c_str()) < 0)
                throw SphinxError("speech engine: the phrase grammar could not be selected");
            // Per frame of the phrase's own words: the silence around them
            // scores alike on both paths and would only dilute the margin.
            r.marginPerFrame = r.phraseFrames > 0 ? (r.score - r.rivalScore) / r.phraseFrames : 0;
            int phraseWords = 0;
            for (const Segment& g : r.segments) phraseWords += g.phones > 0;
            const int minMargin = phraseWords == 1 ? options.minMarginOneWord : options.minMarginPerFrame;
            if (r.accepted && r.marginPerFrame < minMargin) {
                r.accepted = false;
                r.rejectedBy = "phone loop margin";
            }
            if (r.accepted && r.worstWordMargin < options.minWordMargin) {
                r.accepted = false;
                r.rejectedBy = "a word far behind the loop";
            }
        }

        if (observer) observer(r);
        if (r.accepted && phraseAccepted) {
            const auto idx = static_cast<std::size_t>(r.phraseIndex);
            phraseAccepted(idx, texts[idx]);
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
                [this](const std::vector<std::int16_t>& audio) { closeUtterance(audio); });
            pcm += n;
            count -= n;
        }
    }

    void finish() {
        if (grammarReady) segmenter.finish([this](const std::vector<std::int16_t>& audio) { closeUtterance(audio); });
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
const std::vector<std::string>& SphinxDecoder::unheardPhrases() const { return impl_->unheard; }
const std::vector<std::string>& SphinxDecoder::unknownWords() const { return impl_->unknown; }
std::size_t SphinxDecoder::hearablePhraseCount() const { return impl_->hearable; }

int SphinxDecoder::phraseIndexOf(const std::string& spoken) const {
    std::vector<std::string> words;
    for (const auto& tok : normalisePhrase(spoken))
        if (!impl_->lookup(tok, words)) return -1;
    std::string joined;
    for (const auto& w : words) {
        if (!joined.empty()) joined += ' ';
        joined += w;
    }
    const auto found = impl_->byWords.find(joined);
    return found == impl_->byWords.end() ? -1 : static_cast<int>(found->second);
}
void SphinxDecoder::onSpeechStarted(SpeechStarted cb) { impl_->speechStarted = std::move(cb); }
void SphinxDecoder::onPhraseAccepted(PhraseAccepted cb) { impl_->phraseAccepted = std::move(cb); }
void SphinxDecoder::onUtterance(UtteranceObserver cb) { impl_->observer = std::move(cb); }
void SphinxDecoder::process(const std::int16_t* pcm, std::size_t count) { impl_->process(pcm, count); }

void SphinxDecoder::finish() { impl_->finish(); }

void SphinxDecoder::reset() { impl_->abandonUtterance(); }
std::uint64_t SphinxDecoder::samplesConsumed() const { return impl_->consumed; }

}  // namespace qm::sphinx
