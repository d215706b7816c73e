// The phone loop reads back the acoustic scores that the phrase search left
// in a private temporary folder instead of working them out again. The
// verdicts must be the very ones of working them out twice, for stretches
// that fit the engine's buffer and for longer ones, and the folder must
// keep no file past a decision nor outlive the decoder.
#include "SpeechClips.h"
#include "speech/sphinx/SphinxDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Pcm = std::vector<std::int16_t>;

// What decides a verdict, per utterance.
std::vector<std::string> verdicts(const Pcm& pcm, int sharedScoreFrames, const fs::path& tmp, int* mostFiles) {
    auto options = qm::sphinx::defaultDecoderOptions();
    options.sharedScoreFrames = sharedScoreFrames;
    qm::sphinx::SphinxDecoder decoder({"take a note", "next track", "go back"}, options);
    std::vector<std::string> out;
    decoder.onUtterance([&](const qm::sphinx::UtteranceReport& r) {
        out.push_back(r.words + " accepted=" + std::to_string(r.accepted) + " margin=" +
                      std::to_string(r.marginPerFrame) + " worst=" + std::to_string(r.worstWordMargin) +
                      " again=" + std::to_string(r.measuredAgain));
        // Nothing the engine made of the speech stays on disk after a
        // decision.
        int files = 0;
        for (const auto& d : fs::directory_iterator(tmp))
            for ([[maybe_unused]] const auto& f : fs::directory_iterator(d.path())) ++files;
        *mostFiles = std::max(*mostFiles, files);
    });
    for (std::size_t at = 0; at < pcm.size(); at += 320)
        decoder.process(pcm.data() + at, std::min<std::size_t>(320, pcm.size() - at));
    decoder.finish();
    return out;
}

TEST(SharedScores, GiveTheVerdictsOfScoringTwiceAndLeaveNothingBehind) {
    qm::test::SpeechClips clips;
    Pcm pcm;
    for (const char* text : {"take a note", "next track", "take a nap", "go back to sleep now"}) {
        const Pcm said = clips.say(text);
        pcm.insert(pcm.end(), said.begin(), said.end());
        pcm.insert(pcm.end(), 16000, 0);
    }
    const fs::path tmp = fs::temp_directory_path() / ("qm_shared_" + std::to_string(::getpid()));
    fs::create_directories(tmp);
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", tmp.c_str(), 1);

    int files = 0;
    const auto twice = verdicts(pcm, 0, tmp, &files);
    ASSERT_EQ(twice.size(), 4u);
    EXPECT_EQ(files, 0) << "nothing is written without sharing";
    // 400 frames hold every stretch here; 60 hold none, and each falls
    // back to scoring twice.
    for (int frames : {400, 60}) {
        int kept = 0;
        EXPECT_EQ(verdicts(pcm, frames, tmp, &kept), twice) << frames << " frames";
        EXPECT_EQ(kept, 0);
    }
    EXPECT_TRUE(fs::is_empty(tmp)) << "the folder goes with the decoder";

    if (old) setenv("TMPDIR", saved.c_str(), 1);
    else unsetenv("TMPDIR");
    fs::remove_all(tmp);
}

}  // namespace
