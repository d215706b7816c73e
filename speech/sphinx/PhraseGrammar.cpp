#include "speech/sphinx/PhraseGrammar.h"

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/logmath.h>

#include <cctype>
#include <cstdint>
#include <unordered_set>
#include <utility>

namespace qm::sphinx {

namespace {

bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Characters that may stay at the edge of a word: letters, digits and bytes
// of multi-byte UTF-8 sequences (which the dictionary will not know, so they
// end up reported as unknown words rather than silently dropped).
bool isWordEdge(unsigned char c) { return std::isalnum(c) != 0 || c >= 0x80; }

bool known(ps_decoder_t* ps, const std::string& w) {
    char* pron = ps_lookup_word(ps, w.c_str());
    if (!pron) return false;
    ckd_free(pron);
    return true;
}

// Splits one normalised token into dictionary words: as is when the
// dictionary knows it, else at inner hyphens, dots and underscores
// ("e-mail" -> e mail). Returns false when some part is unknown.
bool lookup(ps_decoder_t* ps, const std::string& token, std::vector<std::string>& out) {
    if (known(ps, token)) {
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
        if (!known(ps, p)) return false;
    out.insert(out.end(), parts.begin(), parts.end());
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

PhraseGrammar::PhraseGrammar(const std::vector<std::string>& list, ps_decoder_t* ps) : texts_(list) {
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
        for (const auto& tok : normalisePhrase(list[idx])) {
            if (!lookup(ps, tok, words)) {
                ok = false;
                if (unknownSeen.insert(tok).second) unknown_.push_back(tok);
            }
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

int PhraseGrammar::indexOfText(const std::string& spoken, ps_decoder_t* ps) const {
    std::vector<std::string> words;
    for (const auto& tok : normalisePhrase(spoken))
        if (!lookup(ps, tok, words)) return -1;
    return indexOfWords(joined(words));
}

fsg_model_t* PhraseGrammar::makeFsg(ps_decoder_t* ps, const char* name) const {
    logmath_t* lm = ps_get_logmath(ps);
    const float lw = cmd_ln_float32_r(ps_get_config(ps), "-lw");
    fsg_model_t* fsg = fsg_model_init(name, lm, lw, states_);
    fsg->start_state = 0;
    fsg->final_state = 1;
    // Flat arcs: a long list must not make each phrase less likely than
    // the phone loop, or rejection would depend on the list's length.
    for (const Arc& a : arcs_) {
        const int wid = fsg_model_word_add(fsg, wordList_[static_cast<std::size_t>(a.word)].c_str());
        fsg_model_trans_add(fsg, a.from, a.to, 0, wid);
    }
    return fsg;
}

}  // namespace qm::sphinx
