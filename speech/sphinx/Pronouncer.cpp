#include "speech/sphinx/Pronouncer.h"

#include <flite/flite.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

extern "C" {
// flite's US English text analysis and the CMU lexicon; Debian ships the
// libraries without these two headers.
void usenglish_init(cst_voice* v);
cst_lexicon* cmu_lex_init(void);
}

namespace qm::sphinx {

namespace {

// flite's phones in the dictionary's set: the reduced vowels become their
// full forms, pauses are not phones of a word.
std::string modelPhone(std::string p) {
    while (!p.empty() && std::isdigit(static_cast<unsigned char>(p.back()))) p.pop_back();
    if (p == "ax") return "AH";
    if (p == "axr") return "ER";
    if (p == "pau" || p == "h#" || p == "brth") return "";
    for (char& c : p) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kModel[] = {"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D",  "DH", "EH", "ER", "EY",
                                         "F",  "G",  "HH", "IH", "IY", "JH", "K",  "L",  "M",  "N",  "NG", "OW", "OY",
                                         "P",  "R",  "S",  "SH", "T",  "TH", "UH", "UW", "V",  "W",  "Y",  "Z",  "ZH"};
    for (const char* m : kModel)
        if (p == m) return p;
    return "?";
}

bool allCapitals(const std::string& t) {
    int letters = 0;
    for (unsigned char c : t) {
        if (std::islower(c)) return false;
        letters += std::isupper(c) != 0;
    }
    return letters >= 2;
}

struct Utterance {
    cst_utterance* u;
    ~Utterance() {
        if (u) delete_utterance(u);
    }
};

}  // namespace

struct Pronouncer::Impl {
    cst_voice* voice = nullptr;
};

Pronouncer::Pronouncer() : impl_(new Impl) {
    static std::once_flag once;
    std::call_once(once, [] { flite_init(); });
    // A voice that stops after the words and their phones: no durations,
    // pitch or waveform.
    cst_voice* v = new_voice();
    v->name = "no_wave_voice";
    usenglish_init(v);
    cst_lexicon* lex = cmu_lex_init();
    feat_set(v->features, "lexicon", lexicon_val(lex));
    feat_set(v->features, "postlex_func", uttfunc_val(lex->postlex));
    feat_set_string(v->features, "no_segment_duration_model", "1");
    feat_set_string(v->features, "no_f0_target_model", "1");
    feat_set_string(v->features, "no_waveform_generation", "1");
    impl_->voice = v;
}

Pronouncer::~Pronouncer() {
    delete_voice(impl_->voice);
    delete impl_;
}

std::vector<SpokenWord> Pronouncer::spell(const std::string& typed) const {
    const std::string token = plainLatin(typed);
    bool digits = false;
    for (unsigned char c : token) {
        if (c >= 0x80) return {};  // a letter of another script
        digits = digits || std::isdigit(c);
    }
    // Read the way a person reads it: a run of two or more capitals is an
    // abbreviation, said letter by letter ("ICQ", "MP3"); symbols inside a
    // word are said by name ("AT&T" is a t and t, "#1" number one). flite
    // reads "50%" and "$5" well itself.
    std::string read;
    for (std::size_t i = 0; i < token.size();) {
        const unsigned char c = static_cast<unsigned char>(token[i]);
        if (std::isalpha(c)) {
            std::size_t end = i;
            while (end < token.size() && std::isalpha(static_cast<unsigned char>(token[end]))) ++end;
            const std::string run = token.substr(i, end - i);
            if (run.size() >= 2 && allCapitals(run)) {
                for (char l : run) (read += ' ') += l;
                read += ' ';
            } else {
                read += run;
            }
            i = end;
            continue;
        }
        switch (c) {
        case '&': read += " and "; break;
        case '+': read += " plus "; break;
        case '@': read += " at "; break;
        case '=': read += " equals "; break;
        case '#': read += " number "; break;
        case '$': read += digits ? "$" : " dollar "; break;
        case '%': read += digits ? "%" : " percent "; break;
        default: read += static_cast<char>(c);
        }
        ++i;
    }
    if (std::none_of(read.begin(), read.end(), [](unsigned char c) { return std::isalnum(c) != 0; })) return {};
    Utterance utt{flite_synth_text(read.c_str(), impl_->voice)};
    if (!utt.u) return {};
    std::vector<SpokenWord> words;
    for (cst_item* w = relation_head(utt_relation(utt.u, "Word")); w; w = item_next(w)) {
        SpokenWord sw;
        sw.word = item_feat_string(w, "name");
        for (char& c : sw.word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        cst_item* syl = item_daughter(item_as(w, "SylStructure"));
        for (; syl; syl = item_next(syl))
            for (cst_item* seg = item_daughter(syl); seg; seg = item_next(seg)) {
                const std::string p = modelPhone(item_feat_string(seg, "name"));
                if (p == "?") return {};
                if (p.empty()) continue;
                if (!sw.phones.empty()) sw.phones += ' ';
                sw.phones += p;
            }
        if (sw.phones.empty() || sw.word.empty()) continue;
        words.push_back(std::move(sw));
    }
    return words;
}

}  // namespace qm::sphinx
