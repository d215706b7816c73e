// Between two words of a phrase, the best path may put a short quiet where
// the first word's murmur fades ("time" before "is"). Over a faint noise
// floor that murmur scores far below real quiet, yet it is no talk passed
// off as a pause: the phrase must be heard wherever the frames fall.
#include "SpeechClips.h"
#include "speech/sphinx/SphinxDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Pcm = std::vector<std::int16_t>;

TEST(InnerPause, AWordsFadingMurmurOverANoiseFloorIsNoPauseOfOtherSpeech) {
    qm::test::SpeechClips clips;
    const Pcm said = clips.say("what time is it", "en-us+m3", 160);
    // The clip at a peak of -3 dBFS over a -60 dBFS floor, its frames
    // shifted by up to three quarters of one, each time after a second of
    // the floor alone.
    Pcm stream;
    int played = 0;
    for (std::uint32_t seed = 1; seed <= 3; ++seed)
        for (std::size_t shift : {0, 40, 80, 120}) {
            const Pcm part = qm::test::overNoiseFloor(said, 0, -60, shift, seed * 7919 + std::uint32_t(shift));
            stream.insert(stream.end(), part.begin(), part.end());
            ++played;
        }
    const Pcm tail = qm::test::whiteNoise(16000, -60, 99);
    stream.insert(stream.end(), tail.begin(), tail.end());

    qm::sphinx::SphinxDecoder decoder({"what time is it", "take a note", "go back"});
    std::vector<std::string> refusals;
    decoder.onUtterance([&](const qm::sphinx::UtteranceReport& r) {
        if (!r.accepted && !r.words.empty()) refusals.push_back(r.words + ": " + r.rejectedBy);
    });
    EXPECT_EQ(qm::test::heardPhrases(decoder, stream), std::vector<std::string>(std::size_t(played), "what time is it"));
    EXPECT_EQ(refusals, std::vector<std::string>{});
}

}  // namespace
