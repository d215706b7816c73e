// Speech that the PocketSphinx engine refuses, or never hears to its end,
// heard through the main window: phrase-started shows the indicator, and
// the refusal (or the lost microphone) hides it again without running
// anything.
#include "Form1.h"
#include "ScriptedProgram.h"
#include "SpeechClips.h"
#include "speech/sphinx/SphinxRecognizer.h"

#include <gtest/gtest.h>

namespace {

using namespace qm;

TEST(RefusedSpeech, LeavesTheIndicatorHiddenOnThePocketSphinxEngine) {
    test::ProgramOver<SphinxRecognizer> program;
    program.dir.write("words.txt", "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n<start>=play music\r\n<start>=go back\r\n\r\n");
    program.dir.write("dirs.txt", "String holder\r\n\r\nString holder\r\n\r\n");
    program.dir.write("desc.txt", "Play\r\n\r\nPrevious Track\r\n\r\n");
    auto& [dir, desktop, frontEnd, sr, player, session, set] = program;
    ASSERT_TRUE(set.start());
    Image& indicator = set.form1().Image1;

    test::SpeechClips clips;
    // Each clip as the microphone delivers it, 100 ms at a time; whether the
    // indicator showed on the way, and how it was left.
    auto hear = [&](const std::vector<std::int16_t>& pcm) {
        bool shown = false;
        for (std::size_t at = 0; at < pcm.size(); at += 1600) {
            sr.feed(pcm.data() + at, std::min<std::size_t>(1600, pcm.size() - at));
            shown = shown || indicator.Visible();
        }
        sr.finish();
        return shown;
    };

    // Two sentences the engine decodes and refuses, and one longer than any
    // phrase, refused without decoding.
    for (const char* other : {"the weather is nice today", "where did I put my keys",
                              "after lunch we will all walk down to the river and sit in the sun until the evening"}) {
        EXPECT_TRUE(hear(clips.say(other))) << other << ": the engine heard speech start";
        EXPECT_FALSE(indicator.Visible()) << other;
        EXPECT_TRUE(player.codes.empty()) << other;
        EXPECT_EQ(set.form1().List1.ListIndex(), -1) << other;
    }
    // The microphone is lost halfway through a phrase: what was heard of it
    // runs nothing, and the indicator goes.
    const auto phrase = clips.say("play music");
    std::size_t at = 0;
    for (; at + 1600 <= phrase.size() && !indicator.Visible(); at += 1600) sr.feed(phrase.data() + at, 1600);
    sr.feed(phrase.data() + at, 3200);  // "play" and no more
    EXPECT_TRUE(indicator.Visible()) << "the engine heard speech start";
    sr.abandon();
    EXPECT_FALSE(indicator.Visible());
    EXPECT_TRUE(player.codes.empty());
    // The engine still hears its phrases afterwards.
    EXPECT_TRUE(hear(phrase));
    EXPECT_FALSE(indicator.Visible());
    EXPECT_EQ(player.codes, std::vector<int32_t>{40045});
}

}  // namespace
