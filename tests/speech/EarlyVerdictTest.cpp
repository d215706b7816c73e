// A stretch is judged as soon as its speech is followed by a little quiet,
// and the verdict is given once the pause is long enough to be one. Speech
// that goes on within that pause makes the early verdict void.
#include "SpeechClips.h"
#include "speech/sphinx/SphinxDecoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Pcm = std::vector<std::int16_t>;

std::size_t firstLoud(const Pcm& pcm) {
    std::size_t i = 0;
    while (i < pcm.size() && std::abs(pcm[i]) < 300) ++i;
    return i;
}

std::size_t pastLastLoud(const Pcm& pcm) {
    std::size_t i = pcm.size();
    while (i > 0 && std::abs(pcm[i - 1]) < 300) --i;
    return i;
}

std::vector<std::string> heard(const Pcm& pcm) {
    qm::sphinx::SphinxDecoder decoder({"go back", "play music"});
    return qm::test::heardPhrases(decoder, pcm, 1600);
}

TEST(EarlyVerdict, StandsAfterAPauseAndFallsWhenTheSpeakerGoesOn) {
    qm::test::SpeechClips clips;
    const Pcm phrase = clips.say("go back");
    const Pcm more = clips.say("to the beginning of the street");
    EXPECT_EQ(heard(phrase), std::vector<std::string>{"go back"});

    // "go back", 100 ms of quiet (past the point of judging, short of a
    // pause), and more talk: one stretch, not a command.
    Pcm joined(phrase.begin(), phrase.begin() + std::ptrdiff_t(pastLastLoud(phrase)));
    joined.insert(joined.end(), 1600, 0);
    joined.insert(joined.end(), more.begin() + std::ptrdiff_t(firstLoud(more)), more.end());
    EXPECT_EQ(heard(joined), std::vector<std::string>{});
}

}  // namespace
