#include "UnheardPhrases.h"

#include <gtest/gtest.h>

using qm::UnheardPhrasesMessage;

TEST(UnheardPhrases, NamesThePhrasesAndTheWordsOrSaysNothing)
{
    EXPECT_EQ(UnheardPhrasesMessage({}, {}), "");
    const std::string one = UnheardPhrasesMessage({"open zorblat"}, {"zorblat"});
    EXPECT_NE(one.find("This phrase cannot be heard"), std::string::npos);
    EXPECT_NE(one.find("\"open zorblat\""), std::string::npos);
    EXPECT_NE(one.find("Words that cannot be pronounced: zorblat"), std::string::npos);
    EXPECT_EQ(one.find("too long"), std::string::npos);
}

TEST(UnheardPhrases, LongPhrasesAreNamedByTheirOpeningWithTheLimit)
{
    const std::string huge = "go " + std::string(100000, 'a');
    const std::string text = UnheardPhrasesMessage({}, {}, {huge, "one two three"}, 50);
    EXPECT_EQ(text.find("cannot be pronounced"), std::string::npos);
    EXPECT_NE(text.find("These phrases are too long to be heard; a spoken command has at most 50 words"), std::string::npos);
    EXPECT_NE(text.find("\"one two three\""), std::string::npos);
    EXPECT_NE(text.find("\"go aaaa"), std::string::npos);
    EXPECT_LT(text.size(), 400u);
    // Cut between characters: 59 ASCII bytes, then two-byte letters.
    std::string cyrillic = std::string(59, 'a');
    for (int i = 0; i < 10; ++i) cyrillic += "\xd0\x9c";
    EXPECT_NE(UnheardPhrasesMessage({cyrillic}, {}).find(std::string(59, 'a') + "..."), std::string::npos);
    const std::string both = UnheardPhrasesMessage({huge}, {huge}, {huge});
    EXPECT_LT(both.find("cannot be pronounced"), both.find("This phrase is too long"));
    EXPECT_LT(both.size(), 600u);
}

TEST(UnheardPhrases, ALongListIsCutShort)
{
    std::vector<std::string> phrases, words;
    for (int i = 0; i < 100; ++i) {
        // Built by append: GCC 12 at -O3 warns falsely on "literal" + to_string().
        phrases.push_back(std::string("phrase ").append(std::to_string(i)));
        words.push_back(std::string("w").append(std::to_string(i)));
    }
    const std::string text = UnheardPhrasesMessage(phrases, words);
    EXPECT_NE(text.find("\"phrase 14\""), std::string::npos);
    EXPECT_EQ(text.find("\"phrase 15\""), std::string::npos);
    EXPECT_NE(text.find("and 85 more"), std::string::npos);
    EXPECT_LT(text.size(), 1000u);
}
