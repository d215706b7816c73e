// A phrase word that the speaker left out ("take notes" for "take a note")
// can still be fitted in: the search squeezes it into the model's minimum
// of 3 frames per phone between its neighbours. Said fast, a command's own
// short inner words ("a", "the") keep more than that.
#include "SpeechClips.h"
#include "speech/sphinx/SphinxDecoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SqueezedWord, AWordLeftOutIsNotFittedInButAFastCommandIsHeard) {
    struct Case {
        const char* said;
        const char* voice;
        int wordsPerMinute;
        const char* want;  // empty: nothing
    } cases[] = {
        {"take notes", "en-us", 135, ""},
        {"take notes", "en-us", 175, ""},
        {"take notes", "en-gb", 135, ""},
        {"take notes", "en-gb", 175, ""},
        {"take a note", "en-us", 230, "take a note"},
        {"take a note", "en-gb", 230, "take a note"},
        {"shut down the computer", "en-us+f3", 230, "shut down the computer"},
    };
    qm::test::SpeechClips clips;
    qm::sphinx::SphinxDecoder decoder({"take a note", "open notepad", "shut down the computer", "what time is it"});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.said) + ", " + c.voice + ", " + std::to_string(c.wordsPerMinute) + " wpm");
        const std::vector<std::string> want = *c.want ? std::vector<std::string>{c.want} : std::vector<std::string>{};
        EXPECT_EQ(qm::test::heardPhrases(decoder, clips.say(c.said, c.voice, c.wordsPerMinute)), want);
    }
}

}  // namespace
