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

std::string plainLatin(const std::string& text) {
    // Two-byte UTF-8 letters of Latin-1 and Latin Extended-A.
    struct Fold {
        const char* utf8;
        const char* plain;
    };
    static const Fold kFolds[] = {
        {"\xc3\x80", "A"}, {"\xc3\x81", "A"}, {"\xc3\x82", "A"}, {"\xc3\x83", "A"}, {"\xc3\x84", "A"}, {"\xc3\x85", "A"},
        {"\xc3\x86", "AE"}, {"\xc3\x87", "C"}, {"\xc3\x88", "E"}, {"\xc3\x89", "E"}, {"\xc3\x8a", "E"}, {"\xc3\x8b", "E"},
        {"\xc3\x8c", "I"}, {"\xc3\x8d", "I"}, {"\xc3\x8e", "I"}, {"\xc3\x8f", "I"}, {"\xc3\x91", "N"}, {"\xc3\x92", "O"},
        {"\xc3\x93", "O"}, {"\xc3\x94", "O"}, {"\xc3\x95", "O"}, {"\xc3\x96", "O"}, {"\xc3\x98", "O"}, {"\xc3\x99", "U"},
        {"\xc3\x9a", "U"}, {"\xc3\x9b", "U"}, {"\xc3\x9c", "U"}, {"\xc3\x9d", "Y"}, {"\xc3\x9f", "ss"}, {"\xc3\xa0", "a"},
        {"\xc3\xa1", "a"}, {"\xc3\xa2", "a"}, {"\xc3\xa3", "a"}, {"\xc3\xa4", "a"}, {"\xc3\xa5", "a"}, {"\xc3\xa6", "ae"},
        {"\xc3\xa7", "c"}, {"\xc3\xa8", "e"}, {"\xc3\xa9", "e"}, {"\xc3\xaa", "e"}, {"\xc3\xab", "e"}, {"\xc3\xac", "i"},
        {"\xc3\xad", "i"}, {"\xc3\xae", "i"}, {"\xc3\xaf", "i"}, {"\xc3\xb1", "n"}, {"\xc3\xb2", "o"}, {"\xc3\xb3", "o"},
        {"\xc3\xb4", "o"}, {"\xc3\xb5", "o"}, {"\xc3\xb6", "o"}, {"\xc3\xb8", "o"}, {"\xc3\xb9", "u"}, {"\xc3\xba", "u"},
        {"\xc3\xbb", "u"}, {"\xc3\xbc", "u"}, {"\xc3\xbd", "y"}, {"\xc3\xbf", "y"}, {"\xc4\x87", "c"}, {"\xc4\x8d", "c"},
        {"\xc4\x8f", "d"}, {"\xc4\x91", "d"}, {"\xc4\x99", "e"}, {"\xc4\x9b", "e"}, {"\xc4\x9f", "g"}, {"\xc4\xb1", "i"},
        {"\xc5\x82", "l"}, {"\xc5\x81", "L"}, {"\xc5\x84", "n"}, {"\xc5\x88", "n"}, {"\xc5\x91", "o"}, {"\xc5\x93", "oe"},
        {"\xc5\x99", "r"}, {"\xc5\x9b", "s"}, {"\xc5\x9f", "s"}, {"\xc5\xa1", "s"}, {"\xc5\xa5", "t"}, {"\xc5\xaf", "u"},
        {"\xc5\xb1", "u"}, {"\xc5\xba", "z"}, {"\xc5\xbc", "z"}, {"\xc5\xbe", "z"}, {"\xc5\xa0", "S"}, {"\xc5\xbd", "Z"},
        {"\xc4\x8c", "C"}, {"\xc5\x9a", "S"}, {"\xc5\xbb", "Z"}, {"\xc5\xb9", "Z"},
    };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xc3 && c <= 0xc5 && i + 1 < text.size()) {
            const Fold* hit = nullptr;
            for (const Fold& f : kFolds)
                if (text.compare(i, 2, f.utf8) == 0) hit = &f;
            if (hit) {
                out += hit->plain;
                i += 2;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

}  // namespace qm::sphinx
