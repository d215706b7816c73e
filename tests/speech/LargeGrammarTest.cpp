// A grammar of thousands of phrases, built by PhraseGrammar straight into
// the library's structure, decodes exactly as the same graph built through
// the library's own word and pronunciation helpers.
#include "SpeechClips.h"
#include "speech/sphinx/PhraseGrammar.h"

#include <pocketsphinx.h>
#include <sphinxbase/fsg_model.h>

#include <gtest/gtest.h>

#include <fstream>
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

// The same graph through fsg_model_word_add, with the search adding the
// other pronunciations itself.
fsg_model_t* throughLibrary(fsg_model_t* built, ps_decoder_t* ps) {
    fsg_model_t* fsg = fsg_model_init("library", ps_get_logmath(ps), built->lw, built->n_state);
    fsg->start_state = built->start_state;
    fsg->final_state = built->final_state;
    for (int s = 0; s < built->n_state; ++s)
        for (fsg_arciter_t* it = fsg_model_arcs(built, s); it; it = fsg_arciter_next(it)) {
            fsg_link_t* l = fsg_arciter_get(it);
            if (l->wid < 0) {
                fsg_model_null_trans_add(fsg, l->from_state, l->to_state, l->logs2prob);
            } else if (!fsg_model_is_alt(built, l->wid)) {
                const int wid = fsg_model_word_add(fsg, fsg_model_word_str(built, l->wid));
                fsg_model_trans_add(fsg, l->from_state, l->to_state, l->logs2prob, wid);
            }
        }
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

    const qm::sphinx::PhraseGrammar grammar(phrases, ours);
    ASSERT_TRUE(grammar.unheard().empty());
    fsg_model_t* built = grammar.makeFsg(ours, "phrases");
    fsg_model_t* library = throughLibrary(built, theirs);
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
