#include "UnheardPhrases.h"

#include <gtest/gtest.h>

using qm::UnheardPhrasesMessage;

TEST(UnheardPhrases, NamesThePhrasesAndTheWordsOrSaysNothing)
{
    EXPECT_EQ(UnheardPhrasesMessage({}, {}), "");
    const std::string one = UnheardPhrasesMessage({"open zorblat"}, {"zorblat"});
    EXPECT_NE(one.find("This phrase cannot be heard"), std::string::npos);
    EXPECT_NE(one.find("\"open zorblat\""), std::string::npos);
    EXPECT_NE(one.find("Unknown words: zorblat"), std::string::npos);
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
