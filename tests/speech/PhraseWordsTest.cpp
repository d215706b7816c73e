// How words.txt phrases become dictionary words, and which phrase a spoken
// word sequence answers as.
#include "speech/sphinx/SphinxDecoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using qm::sphinx::normalisePhrase;
using qm::sphinx::SphinxDecoder;
using Words = std::vector<std::string>;

struct NormaliseCase {
    const char* name;
    std::string phrase;
    Words words;
};

class Normalise : public testing::TestWithParam<NormaliseCase> {};

TEST_P(Normalise, SplitsLowersAndTrims) { EXPECT_EQ(normalisePhrase(GetParam().phrase), GetParam().words); }

INSTANTIATE_TEST_SUITE_P(
    Phrases, Normalise,
    testing::Values(NormaliseCase{"capitals", "Open Notepad", {"open", "notepad"}},
                    NormaliseCase{"letters", "I C Q", {"i", "c", "q"}},
                    NormaliseCase{"edge_punctuation", "\"Open, Notepad!\"", {"open", "notepad"}},
                    NormaliseCase{"inner_punctuation_kept", "e-mail don't", {"e-mail", "don't"}},
                    NormaliseCase{"blank_runs", " \tvolume \t  up\r", {"volume", "up"}},
                    NormaliseCase{"punctuation_only_words_vanish", "go -- back ...", {"go", "back"}},
                    NormaliseCase{"empty", "", {}},
                    NormaliseCase{"only_punctuation", " ?! ", {}},
                    NormaliseCase{"utf8_left_alone", "caf\xc3\xa9!", {"caf\xc3\xa9"}}),
    [](const testing::TestParamInfo<NormaliseCase>& i) { return std::string(i.param.name); });

// One decoder for the suite: loading the model is the slow part.
class Grammar : public testing::Test {
protected:
    static void SetUpTestSuite() { decoder_ = std::make_unique<SphinxDecoder>(); }
    static void TearDownTestSuite() { decoder_.reset(); }
    static std::unique_ptr<SphinxDecoder> decoder_;
};
std::unique_ptr<SphinxDecoder> Grammar::decoder_;

TEST_F(Grammar, SpokenWordsAnswerAsTheirPhrase) {
    decoder_->setPhrases({"Open Notepad", "i c q", "Turn volume-up", "close window", "Close  Window!", "open"});
    EXPECT_EQ(decoder_->hearablePhraseCount(), 6u);
    EXPECT_TRUE(decoder_->unheardPhrases().empty());
    struct {
        const char* spoken;
        int index;
    } cases[] = {
        {"open notepad", 0},  // dictionary lookup ignores case
        {"OPEN NOTEPAD", 0},
        {"i c q", 1},         // single letters are words
        {"turn volume up", 2},  // "volume-up" heard as its parts: the dictionary lacks it whole
        {"close window", 3},  // differs from a later phrase only in case, spacing and punctuation:
                              // the first in file order answers
        {"open", 5},          // a phrase that is a prefix of another is still its own phrase
        {"notepad", -1},
        {"open notepad now", -1},
        {"", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(decoder_->phraseIndexOf(c.spoken), c.index) << c.spoken;
}

TEST_F(Grammar, PhrasesWithUnknownWordsAreLeftOutAndReported) {
    decoder_->setPhrases({"zorblify everything", "volume up", "Zorblify now", "open qqxv", "", "volume down"});
    EXPECT_EQ(decoder_->unheardPhrases(), (Words{"zorblify everything", "Zorblify now", "open qqxv", ""}));
    // Each unknown word once, lower case, in file order.
    EXPECT_EQ(decoder_->unknownWords(), (Words{"zorblify", "qqxv"}));
    EXPECT_EQ(decoder_->hearablePhraseCount(), 2u);
    // The phrases that remain keep their places in the file.
    EXPECT_EQ(decoder_->phraseIndexOf("volume up"), 1);
    EXPECT_EQ(decoder_->phraseIndexOf("volume down"), 5);
    EXPECT_EQ(decoder_->phraseIndexOf("open"), -1);
}

TEST_F(Grammar, ReloadForgetsThePreviousList) {
    decoder_->setPhrases({"zorblify", "play music"});
    decoder_->setPhrases({"stop music", "play music"});
    EXPECT_TRUE(decoder_->unknownWords().empty());
    EXPECT_TRUE(decoder_->unheardPhrases().empty());
    EXPECT_EQ(decoder_->phraseIndexOf("play music"), 1);
    EXPECT_EQ(decoder_->phraseIndexOf("stop music"), 0);
}

TEST_F(Grammar, PhoneLoopWordsAreNotPhraseWords) {
    // The rival path's one-phone words live in the same dictionary; a
    // phrase naming one must not become hearable through them.
    decoder_->setPhrases({"qm.phone.AA", "go back"});
    EXPECT_EQ(decoder_->unheardPhrases(), Words{"qm.phone.AA"});
}

}  // namespace
