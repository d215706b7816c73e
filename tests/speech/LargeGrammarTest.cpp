// A grammar of thousands of phrases, built by PhraseGrammar straight into
// the library's structure (with its start split by first phone), decodes
// exactly as the plain prefix tree built through the library's own word and
// pronunciation helpers.
#include "SpeechClips.h"
#include "speech/sphinx/EngineWords.h"
#include "speech/sphinx/PhraseGrammar.h"

#include <pocketsphinx.h>
#include <sphinxbase/fsg_model.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kModel = "/usr/share/pocketsphinx/model/en-us";

// Every 5th plain word of the dictionary, so that many have another
// pronunciation, in phrases of two and three words.
std::vector<std::string> manyPhrases(std::size_t count) {
    std::vector<std::string> words;
    std::ifstream dict(kModel + "/cmudict-en-us.dict");
    std::string line;
    for (std::size_t n = 0; std::getline(dict, line) && words.size() < 2 * count; ++n) {
        const std::string w = line.substr(0, line.find(' '));
        if (n % 5 == 0 && w.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos) words.push_back(w);
    }
    std::vector<std::string> phrases;
    for (std::size_t i = 0, slot = 0; i < count; ++i) {
        std::string p;
        for (std::size_t k = 0; k < 2 + i % 2; ++k, ++slot) p += (k ? " " : "") + words[slot % words.size()];
        phrases.push_back(p);
    }
    return phrases;
}

// The graph as it was built before, through the library's helpers: a
// prefix tree over the phrases' words from state 0 to state 1, the search
// adding the other pronunciations itself.
fsg_model_t* throughLibrary(const std::vector<std::string>& phrases, ps_decoder_t* ps) {
    std::map<std::pair<int, std::string>, int> inner;
    std::set<std::pair<int, std::string>> finals;
    struct Arc {
        int from, to;
        std::string word;
    };
    std::vector<Arc> arcs;
    int states = 2;
    for (const auto& p : phrases) {
        const auto words = qm::sphinx::normalisePhrase(p);
        int s = 0;
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (i + 1 == words.size()) {
                if (finals.insert({s, words[i]}).second) arcs.push_back({s, 1, words[i]});
            } else {
                auto [it, made] = inner.emplace(std::make_pair(s, words[i]), states);
                if (made) arcs.push_back({s, states++, words[i]});
                s = it->second;
            }
        }
    }
    fsg_model_t* fsg = fsg_model_init("library", ps_get_logmath(ps), cmd_ln_float32_r(ps_get_config(ps), "-lw"), states);
    fsg->start_state = 0;
    fsg->final_state = 1;
    for (const Arc& a : arcs) fsg_model_trans_add(fsg, a.from, a.to, 0, fsg_model_word_add(fsg, a.word.c_str()));
    return fsg;
}

struct Heard {
    std::string words;
    int score = 0;
    bool operator==(const Heard&) const = default;
};

Heard decode(ps_decoder_t* ps, const std::vector<std::int16_t>& pcm) {
    ps_start_utt(ps);
    ps_process_raw(ps, pcm.data(), pcm.size(), FALSE, TRUE);
    ps_end_utt(ps);
    Heard h;
    const char* hyp = ps_get_hyp(ps, &h.score);
    h.words = hyp ? hyp : "";
    return h;
}

ps_decoder_t* makeDecoder() {
    cmd_ln_t* config = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", (kModel + "/en-us").c_str(), "-dict",
                                   (kModel + "/cmudict-en-us.dict").c_str(), "-logfn", "/dev/null", nullptr);
    ps_decoder_t* ps = ps_init(config);
    cmd_ln_free_r(config);
    return ps;
}

TEST(LargeGrammar, DecodesAsTheLibraryBuiltGraph) {
    // One decoder per graph: a decoder adapts to the audio it has heard, so
    // both must hear the same clips in the same order.
    ps_decoder_t* ours = makeDecoder();
    ps_decoder_t* theirs = makeDecoder();
    ASSERT_TRUE(ours && theirs);

    const std::vector<std::string> said = {"open the door please", "scroll down", "what time is it", "read a book",
                                           "record the sound"};  // "record" has two pronunciations
    std::vector<std::string> phrases = manyPhrases(3000);
    phrases.insert(phrases.end(), said.begin(), said.end());

    // The engine holds the whole dictionary here: no word needs a source.
    qm::sphinx::EngineWords engineWords(ours);
    const qm::sphinx::PhraseGrammar grammar(phrases, engineWords, {});
    ASSERT_TRUE(grammar.unheard().empty());
    fsg_model_t* built = grammar.makeFsg(engineWords, "phrases");
    fsg_model_t* library = throughLibrary(phrases, theirs);
    EXPECT_GT(built->n_state, library->n_state) << "the start state was split";
    EXPECT_GT(built->n_word, static_cast<int>(grammar.hearable())) << "the other pronunciations are in the graph";
    ASSERT_EQ(ps_set_fsg(ours, "phrases", built), 0);
    ASSERT_EQ(ps_set_fsg(theirs, "phrases", library), 0);
    ASSERT_EQ(ps_set_search(ours, "phrases"), 0);
    ASSERT_EQ(ps_set_search(theirs, "phrases"), 0);

    qm::test::SpeechClips clips;
    std::vector<std::string> texts = said;
    texts.push_back("the weather is nice today");
    int heard = 0;
    for (const auto& text : texts) {
        const auto pcm = clips.say(text);
        const Heard a = decode(ours, pcm);
        const Heard b = decode(theirs, pcm);
        EXPECT_EQ(a, b) << text << ": built heard \"" << a.words << "\" (" << a.score << "), library \"" << b.words
                        << "\" (" << b.score << ")";
        heard += grammar.indexOfWords(a.words) >= 0;
    }
    EXPECT_GE(heard, 3) << "most of the phrases said are heard as themselves";
    fsg_model_free(built);
    fsg_model_free(library);
    ps_free(ours);
    ps_free(theirs);
}

}  // namespace
