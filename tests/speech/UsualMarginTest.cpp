// The limit learnt from a voice's own phrases: set only once enough are
// known, stricter for a voice that the model fits, and loosened again when
// the voice starts to fit worse, so that it never locks its speaker out.
#include "SpeechClips.h"
#include "speech/sphinx/SphinxDecoder.h"
#include "speech/sphinx/UsualMargin.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using qm::sphinx::UsualMargin;

TEST(UsualMargin, FollowsTheMedianOfTheLastPhrasesAndNeverLocksTheSpeakerOut) {
    UsualMargin usual({/*after*/ 4, /*of*/ 5, /*below*/ 20, /*strictest*/ -8});
    for (int m : {9, 7, 8}) usual.learn(m);
    EXPECT_EQ(usual.limit(), INT_MIN) << "three phrases say too little about a voice";

    usual.learn(-25);  // a near miss among the commands moves the median little
    EXPECT_EQ(usual.limit(), 8 - 20);

    for (int m : {40, 40, 40}) usual.learn(m);
    EXPECT_EQ(usual.limit(), -8) << "never stricter than the strictest limit";

    // A cold: the voice fits worse. Its phrases still pass the fixed checks
    // and are learnt, even those the learnt limit refused.
    for (int m : {-15, -16, -14, -15, -17}) usual.learn(m);
    EXPECT_EQ(usual.limit(), -15 - 20) << "only the last five count";
}

TEST(UsualMargin, IsOffWithoutAMinimumCount) {
    UsualMargin off;
    for (int m = 0; m < 50; ++m) off.learn(30);
    EXPECT_EQ(off.limit(), INT_MIN);
}

// flite's voices are made from recordings of people, which the model fits:
// their commands beat the loop by far more than the fixed limit asks, and
// a near miss falls between the two.
TEST(UsualMargin, ANearMissThatPassesTheFixedLimitsIsRefusedOnceTheVoiceIsKnown) {
    const std::vector<std::string> phrases = {"open the browser", "close window", "open notepad", "take a note",
                                              "what time is it",  "scroll down",  "volume up",    "show desktop",
                                              "play music",       "next track"};
    qm::test::SpeechClips clips;
    const auto garage = clips.say("open the garage", "flite:slt");
    const auto door = clips.say("close the door", "flite:slt");
    using Heard = std::vector<std::string>;

    qm::sphinx::SphinxDecoder fresh(phrases);
    EXPECT_EQ(qm::test::heardPhrases(fresh, garage), Heard{"open the browser"}) << "the fixed limits let it through";
    EXPECT_EQ(qm::test::heardPhrases(fresh, door), Heard{"close window"});

    qm::sphinx::SphinxDecoder known(phrases);
    for (const char* said : {"open notepad", "take a note", "what time is it", "scroll down", "volume up",
                             "show desktop", "play music", "next track"})
        EXPECT_EQ(qm::test::heardPhrases(known, clips.say(said, "flite:slt")), Heard{said});
    EXPECT_EQ(qm::test::heardPhrases(known, garage), Heard{});
    EXPECT_EQ(qm::test::heardPhrases(known, door), Heard{});
    EXPECT_EQ(qm::test::heardPhrases(known, clips.say("open the browser", "flite:slt")), Heard{"open the browser"});
    EXPECT_EQ(qm::test::heardPhrases(known, clips.say("close window", "flite:slt")), Heard{"close window"});
}

}  // namespace
