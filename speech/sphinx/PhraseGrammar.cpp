#include "speech/sphinx/PhraseGrammar.h"

#include "speech/sphinx/EngineWords.h"
#include "speech/sphinx/Pronouncer.h"

#include <pocketsphinx.h>
#include <sphinxbase/bitvec.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/glist.h>
#include <sphinxbase/hash_table.h>
#include <sphinxbase/listelem_alloc.h>
#include <sphinxbase/logmath.h>

#include <cctype>
#include <cstring>
#include <cstdint>
#include <unordered_set>
#include <utility>

// The library declares a state's two tables of successors but keeps their
// layout to itself. This is the layout of the release both builds use
// (5prealpha: Debian's package, and the sources the Windows build
// compiles); PhraseGrammar::makeFsg needs it to give a state tables of its
// own size. LargeGrammar.DecodesAsTheLibraryBuiltGraph fails if it drifts.
struct trans_list_s {
    hash_table_t* null_trans;
    hash_table_t* trans;
};

namespace qm::sphinx {

namespace {

bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Characters that may stay at the edge of a word: letters, digits, symbols
// that are read out ("50%", "C++", "&"), and bytes of multi-byte UTF-8
// sequences (accented letters are read plainly; other scripts end up
// reported as words that cannot be pronounced rather than silently dropped).
bool isWordEdge(unsigned char c) { return std::isalnum(c) != 0 || c >= 0x80 || std::strchr("&+@%$#=", c); }

// The engine and where its missing words come from.
struct Lexicon {
    EngineWords& engine;
    const WordSource& dictionary;
};

// The engine knows the word, or learns it now from the dictionary file.
bool known(const Lexicon& lx, const std::string& w) {
    if (lx.engine.knows(w)) return true;
    return lx.dictionary && lx.dictionary(w) && lx.engine.knows(w);
}

// Splits one normalised token into dictionary words: as is when the
// dictionary knows it, else at inner hyphens, dots and underscores
// ("e-mail" -> e mail). Returns false when some part is unknown.
bool lookup(const Lexicon& lx, const std::string& token, std::vector<std::string>& out) {
    if (known(lx, token)) {
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
        if (!known(lx, p)) return false;
    out.insert(out.end(), parts.begin(), parts.end());
    return true;
}

std::string lowered(std::string w) {
    for (char& c : w)
        if (static_cast<unsigned char>(c) < 0x80) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return w;
}

constexpr std::size_t kMaxTokenLength = 100;

const Pronouncer& pronouncer() {
    static const Pronouncer p;
    return p;
}

// A dictionary name for a word the pronouncer made: letters, digits and
// apostrophes only, so that it cannot pass for a filler ("+NOISE+") or an
// alternate ("word(2)").
std::string wordName(const std::string& w) {
    std::string name;
    for (char c : w)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '\'') name += c;
    return name;
}

// The dictionary words for one token as typed: the token or its parts when
// the dictionary knows them, else the words a person says for it, with
// pronunciations added to the dictionary for those it lacks. False when the
// token cannot be pronounced.
bool wordsOfToken(const Lexicon& lx, const std::string& typed, std::vector<std::string>& out) {
    if (lookup(lx, lowered(typed), out)) return true;
    // Longer than any word or number anyone reads out in one go.
    if (typed.size() > kMaxTokenLength) return false;
    // Every edit reloads the table: each token is read out once per run.
    static std::unordered_map<std::string, std::vector<SpokenWord>> said;
    auto found = said.find(typed);
    if (found == said.end()) found = said.emplace(typed, pronouncer().spell(typed)).first;
    const std::vector<SpokenWord>& spoken = found->second;
    if (spoken.empty()) return false;
    std::vector<std::string> words;
    for (const SpokenWord& sw : spoken) {
        const std::string name = wordName(sw.word);
        if (name.empty()) return false;
        if (!known(lx, name) && ps_add_word(lx.engine.engine(), name.c_str(), sw.phones.c_str(), FALSE) < 0) return false;
        words.push_back(name);
    }
    out.insert(out.end(), words.begin(), words.end());
    return true;
}

std::string joined(const std::vector<std::string>& words) {
    std::string out;
    for (const auto& w : words) {
        if (!out.empty()) out += ' ';
        out += w;
    }
    return out;
}

}  // namespace

std::vector<std::string> splitPhrase(const std::string& phrase) {
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
        words.push_back(phrase.substr(start, end - start));
    }
    return words;
}

std::vector<std::string> normalisePhrase(const std::string& phrase) {
    std::vector<std::string> words = splitPhrase(phrase);
    for (auto& w : words) w = lowered(std::move(w));
    return words;
}

PhraseGrammar::PhraseGrammar(const std::vector<std::string>& list, EngineWords& engine, const WordSource& dictionary)
    : texts_(list) {
    const Lexicon lx{engine, dictionary};
    // Word table local to this grammar and a prefix tree over phrases,
    // so that phrases sharing their opening words share states.
    std::unordered_map<std::string, int> wordIds;
    std::unordered_set<std::string> unknownSeen;
    std::unordered_map<std::uint64_t, int> inner;  // (state, word) -> next state
    std::unordered_set<std::uint64_t> finalArcs;   // (state, word) -> final
    const int start = 0, final_ = 1;
    auto key = [](int s, int w) { return (static_cast<std::uint64_t>(s) << 32) | static_cast<std::uint32_t>(w); };

    for (std::size_t idx = 0; idx < list.size(); ++idx) {
        std::vector<std::string> words;
        bool ok = true;
        for (const auto& tok : splitPhrase(list[idx])) {
            if (!wordsOfToken(lx, tok, words)) {
                ok = false;
                if (const std::string w = lowered(tok); unknownSeen.insert(w).second) unknown_.push_back(w);
            }
            // No one says a command this long; stop before a huge phrase
            // costs time and memory.
            if (words.size() > kMaxWords) break;
        }
        if (words.size() > kMaxWords) {
            tooLong_.push_back(list[idx]);
            continue;
        }
        if (!ok || words.empty()) {
            unheard_.push_back(list[idx]);
            continue;
        }
        ++hearable_;
        // Same words as an earlier phrase: heard as that one.
        if (!byWords_.emplace(joined(words), idx).second) continue;
        int s = start;
        for (std::size_t i = 0; i < words.size(); ++i) {
            auto [it, fresh] = wordIds.emplace(words[i], static_cast<int>(wordList_.size()));
            if (fresh) wordList_.push_back(words[i]);
            const int w = it->second;
            if (i + 1 == words.size()) {
                if (finalArcs.insert(key(s, w)).second) arcs_.push_back({s, final_, w});
            } else {
                auto [nx, made] = inner.emplace(key(s, w), states_);
                if (made) {
                    arcs_.push_back({s, states_, w});
                    ++states_;
                }
                s = nx->second;
            }
        }
    }
}

int PhraseGrammar::indexOfWords(const std::string& words) const {
    const auto found = byWords_.find(words);
    return found == byWords_.end() ? -1 : static_cast<int>(found->second);
}

int PhraseGrammar::indexOfText(const std::string& spoken, EngineWords& engine, const WordSource& dictionary) const {
    const Lexicon lx{engine, dictionary};
    std::vector<std::string> words;
    for (const auto& tok : splitPhrase(spoken))
        if (!wordsOfToken(lx, tok, words)) return -1;
    return indexOfWords(joined(words));
}

// Built without the library's word and transition helpers: each of them
// searches linearly (the word list by name, every transition for each word
// with another pronunciation), which made a table of tens of thousands of
// words take more than a minute to load.
fsg_model_t* PhraseGrammar::makeFsg(EngineWords& engine, const char* name) const {
    // The vocabulary: the grammar's words, then each one's other
    // pronunciations, which the dictionary names word(2), word(3) ... and
    // the first phone of each.
    std::vector<std::string> vocab = wordList_;
    std::vector<std::vector<int>> alternates(wordList_.size());
    std::vector<std::string> firstPhone;
    auto firstPhoneOf = [&engine](const std::string& word) -> std::string {
        const std::string* phones = engine.phones(word);
        return phones ? sphinx::firstPhone(*phones) : std::string();
    };
    for (std::size_t w = 0; w < wordList_.size(); ++w) {
        firstPhone.push_back(firstPhoneOf(wordList_[w]));
        for (int k = 2;; ++k) {
            std::string alt = wordList_[w] + "(" + std::to_string(k) + ")";
            std::string phone = firstPhoneOf(alt);
            if (phone.empty()) break;
            alternates[w].push_back(static_cast<int>(vocab.size()));
            vocab.push_back(std::move(alt));
            firstPhone.push_back(std::move(phone));
        }
    }

    // A state with thousands of successors (the start of a long table) is
    // slow for the library, whose per-state table of successors has a fixed
    // number of hash buckets. Such a state leads through empty arcs to one
    // state per first phone, which takes over its words: the same phrases
    // and scores, and the same tree of phones leaving it, since the words
    // leaving a state share their phones from the first one on.
    constexpr int kMaxSuccessors = 64;
    std::vector<int> successors(static_cast<std::size_t>(states_), 0);
    for (const Arc& a : arcs_)
        if (a.to != 1) ++successors[static_cast<std::size_t>(a.from)];
    int nStates = states_;
    std::unordered_map<std::string, int> phoneState;  // "state phone" -> its state
    std::vector<std::pair<int, int>> nullArcs;
    auto home = [&](int from, int wid) {
        if (successors[static_cast<std::size_t>(from)] <= kMaxSuccessors) return from;
        auto [it, fresh] = phoneState.emplace(std::to_string(from) + ' ' + firstPhone[static_cast<std::size_t>(wid)], nStates);
        if (fresh) nullArcs.emplace_back(from, nStates++);
        return it->second;
    };
    struct Placed {
        int from, to, wid;
    };
    std::vector<Placed> placed;  // base arcs in order, then the alternates word by word, as the search adds them
    std::vector<std::vector<std::size_t>> arcsOfWord(wordList_.size());
    for (std::size_t i = 0; i < arcs_.size(); ++i) {
        placed.push_back({home(arcs_[i].from, arcs_[i].word), arcs_[i].to, arcs_[i].word});
        arcsOfWord[static_cast<std::size_t>(arcs_[i].word)].push_back(i);
    }
    for (std::size_t w = 0; w < wordList_.size(); ++w)
        for (int alt : alternates[w])
            for (std::size_t i : arcsOfWord[w]) placed.push_back({home(arcs_[i].from, alt), arcs_[i].to, alt});

    ps_decoder_t* ps = engine.engine();
    logmath_t* lm = ps_get_logmath(ps);
    const float lw = cmd_ln_float32_r(ps_get_config(ps), "-lw");
    fsg_model_t* fsg = fsg_model_init(name, lm, lw, nStates);
    fsg->start_state = 0;
    fsg->final_state = 1;
    // Room for the silence and filler words that the search adds.
    fsg->n_word = static_cast<int32>(vocab.size());
    fsg->n_word_alloc = fsg->n_word + 10;
    fsg->vocab = static_cast<char**>(ckd_calloc(static_cast<std::size_t>(fsg->n_word_alloc), sizeof(char*)));
    for (std::size_t i = 0; i < vocab.size(); ++i) fsg->vocab[i] = ckd_salloc(vocab[i].c_str());
    // Marking the alternates tells the search that they are already in
    // the graph, so it does not add them itself.
    fsg->altwords = static_cast<bitvec_t*>(bitvec_alloc(fsg->n_word_alloc));
    for (const auto& alts : alternates)
        for (int a : alts) bitvec_set(fsg->altwords, a);

    // The library gives each state's table of successors 101 buckets when
    // it makes one, about 3 KB a state: a table of tens of thousands of
    // phrases spent hundreds of megabytes and most of its load time on
    // them, and the search walks every bucket. A table as large as the
    // state's own arcs, plus the silence loop the search adds, holds the
    // same entries.
    std::vector<int> arcsFrom(static_cast<std::size_t>(nStates), 0);
    for (const Placed& a : placed) ++arcsFrom[static_cast<std::size_t>(a.from)];
    for (int s = 0; s < nStates; ++s) {
        auto* table = static_cast<hash_table_t*>(ckd_calloc(1, sizeof(hash_table_t)));
        table->size = arcsFrom[static_cast<std::size_t>(s)] + 1;
        table->nocase = 0;
        table->table = static_cast<hash_entry_t*>(ckd_calloc(static_cast<std::size_t>(table->size), sizeof(hash_entry_t)));
        fsg->trans[s].trans = table;
    }

    for (const auto& [from, to] : nullArcs) fsg_model_null_trans_add(fsg, from, to, 0);
    // Flat arcs: a long list must not make each phrase less likely than
    // the phone loop, or rejection would depend on the list's length.
    // Each arc goes to the front of its state pair's list, as the library
    // puts it; but without the library's scan for a duplicate, since the
    // words on the arcs of one state pair are distinct by construction.
    std::vector<char> hasList(static_cast<std::size_t>(nStates), 0);  // pairs (state, final) made
    for (const Placed& a : placed) {
        // An arc to an inner state is the only base arc between its two
        // states; otherwise look the pair's list up.
        glist_t list = nullptr;
        if (a.to == fsg->final_state) {
            if (hasList[static_cast<std::size_t>(a.from)]) list = fsg_model_trans(fsg, a.from, a.to);
            hasList[static_cast<std::size_t>(a.from)] = 1;
        } else if (fsg_model_is_alt(fsg, a.wid)) {
            list = fsg_model_trans(fsg, a.from, a.to);
        }
        if (!list) {
            fsg_model_trans_add(fsg, a.from, a.to, 0, a.wid);
            continue;
        }
        auto* link = static_cast<fsg_link_t*>(listelem_malloc(fsg->link_alloc));
        link->from_state = a.from;
        link->to_state = a.to;
        link->logs2prob = 0;
        link->wid = a.wid;
        // The list's head is what the state's table points to: put the new
        // link after it, then swap the two.
        gnode_t* second = glist_insert_ptr(list, link);
        std::swap(list->data.ptr, second->data.ptr);
    }
    return fsg;
}

}  // namespace qm::sphinx
