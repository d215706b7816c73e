// A phrase said quietly over a noise floor: its soft sounds sink to a few dB
// above the floor. The closure of a stop between two syllables ("desk-top")
// then lasted longer than the pause that ends a command, and the phrase was
// cut in two, its first half heard as another command ("go back"). And a
// first word that begins with a soft sound ("quieter") took in the floor
// before it, which was refused as a piece of longer speech.
#include "SpeechClips.h"
#include "speech/sphinx/SphinxDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Pcm = std::vector<std::int16_t>;

TEST(QuietSpeech, APhraseSaidFaintlyOverANoiseFloorIsHeardWhole) {
    struct Case {
        const char* phrase;
        const char* voice;
    };
    qm::test::SpeechClips clips;
    qm::sphinx::SphinxDecoder decoder({"show desktop", "go back", "quieter", "play music", "take a note"});
    for (const Case& c : {Case{"show desktop", "en-gb+f3"}, Case{"quieter", "en-us"}}) {
        const Pcm said = clips.say(c.phrase, c.voice, 160);
        // A peak of -30 dBFS over a -65 dBFS floor (the live test's floor,
        // as its 10 ms frames measure), the frames falling four ways, each
        // after a second of the floor alone.
        Pcm stream;
        for (std::size_t shift : {0, 40, 80, 120}) {
            const Pcm part = qm::test::overNoiseFloor(said, -27, -65, shift, 4099 + std::uint32_t(shift));
            stream.insert(stream.end(), part.begin(), part.end());
        }
        const Pcm tail = qm::test::whiteNoise(16000, -65, 99);
        stream.insert(stream.end(), tail.begin(), tail.end());

        EXPECT_EQ(qm::test::heardPhrases(decoder, stream), std::vector<std::string>(4, c.phrase)) << c.voice;
    }
}

}  // namespace
