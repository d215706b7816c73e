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
                    NormaliseCase{"utf8_left_alone", "caf\xc3\xa9!", {"caf\xc3\xa9"}},
                    NormaliseCase{"symbols_that_are_said_stay", "(C++ & 50%) #1", {"c++", "&", "50%", "#1"}}),
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

TEST_F(Grammar, WordsTheDictionaryLacksAreSaidAsAPersonReadsThem) {
    const std::string cyrillic = "\xd0\x9c\xd0\xb8\xd1\x80";
    decoder_->setPhrases({"zorblify everything", "volume up", "open " + cyrillic, "", "call 911", "open ICQ",
                          "AT&T prices", "Z\xc3\xbcrich weather", "channel 2", "C++ notes", "50% off", "qm.phone.AA"});
    // Only what has no Latin letters or digits cannot be said.
    EXPECT_EQ(decoder_->unheardPhrases(), (Words{"open " + cyrillic, ""}));
    EXPECT_EQ(decoder_->unknownWords(), Words{cyrillic});
    EXPECT_TRUE(decoder_->longPhrases().empty());
    EXPECT_EQ(decoder_->hearablePhraseCount(), 10u);
    struct {
        const char* spoken;
        int index;
    } cases[] = {
        {"zorblify everything", 0},     // letter-to-sound for a made-up word
        {"Zorblify Everything", 0},
        {"call nine hundred eleven", 4},  // digits as words
        {"open i c q", 5},              // capitals are an abbreviation
        {"a t and t prices", 6},        // and the symbol is said
        {"zurich weather", 7},          // the accent read plainly
        {"channel two", 8},
        {"c plus plus notes", 9},
        {"fifty per cent off", 10},
        {"q m phone a a", 11},          // dots split, as everywhere else
        {"open", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(decoder_->phraseIndexOf(c.spoken), c.index) << c.spoken;
}

TEST_F(Grammar, APhraseOfMoreThanFiftySpokenWordsIsLeftOut) {
    std::string fifty, fiftyOne = "go";
    for (int i = 0; i < 50; ++i) (fifty += fifty.empty() ? "" : " ") += "go";
    fiftyOne += " " + fifty;
    // 26 numbers of two spoken words each.
    std::string numbers;
    for (int i = 0; i < 26; ++i) numbers += "21 ";
    const std::string huge(1 << 20, 'a');
    decoder_->setPhrases({fiftyOne, fifty, numbers, huge, "volume up"});
    EXPECT_EQ(decoder_->longPhrases(), (Words{fiftyOne, numbers}));
    EXPECT_EQ(decoder_->unheardPhrases(), Words{huge}) << "one word of a million letters is too much to say";
    EXPECT_EQ(decoder_->phraseIndexOf(fifty), 1);
    EXPECT_EQ(decoder_->phraseIndexOf("volume up"), 4);
}

TEST_F(Grammar, ReloadForgetsThePreviousList) {
    decoder_->setPhrases({"\xd0\x9c\xd0\xb8\xd1\x80", "play music"});
    decoder_->setPhrases({"stop music", "play music"});
    EXPECT_TRUE(decoder_->unknownWords().empty());
    EXPECT_TRUE(decoder_->unheardPhrases().empty());
    EXPECT_EQ(decoder_->phraseIndexOf("play music"), 1);
    EXPECT_EQ(decoder_->phraseIndexOf("stop music"), 0);
}

}  // namespace
