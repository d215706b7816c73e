// The phone loop reads back the acoustic scores that the phrase search left
// in a private temporary folder instead of working them out again. The
// verdicts must be the very ones of working them out twice, for stretches
// that fit the engine's buffer and for longer ones; the folder must keep no
// file past a decision nor outlive the decoder, nor a program that ends
// through exit(); and the engine must never write through anything that
// takes the folder's place.
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

// Feeds 20 ms at a time, going on after a failure as the program does;
// the first failure's message.
std::string feed(qm::sphinx::SphinxDecoder& decoder, const Pcm& pcm) {
    std::string failure;
    for (std::size_t at = 0; at <= pcm.size(); at += 320) {
        try {
            if (at < pcm.size()) decoder.process(pcm.data() + at, std::min<std::size_t>(320, pcm.size() - at));
            else decoder.finish();
        } catch (const qm::sphinx::SphinxError& e) {
            if (failure.empty()) failure = e.what();
        }
    }
    return failure;
}

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
    EXPECT_EQ(feed(decoder, pcm), "");
    return out;
}

// Points TMPDIR at a fresh folder of the test's own, with no
// XDG_RUNTIME_DIR, and puts both back afterwards.
class TempFolders {
public:
    TempFolders() : root_(fs::temp_directory_path() / ("qm_shared_" + std::to_string(::getpid()))) {
        fs::create_directories(root_ / "tmp");
        save("TMPDIR");
        save("XDG_RUNTIME_DIR");
        setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
        unsetenv("XDG_RUNTIME_DIR");
    }
    ~TempFolders() {
        for (const auto& [name, value] : saved_)
            if (value.second) setenv(name.c_str(), value.first.c_str(), 1);
            else unsetenv(name.c_str());
        fs::remove_all(root_);
    }
    fs::path tmp() const { return root_ / "tmp"; }
    fs::path root() const { return root_; }

private:
    void save(const std::string& name) {
        const char* v = std::getenv(name.c_str());
        saved_.push_back({name, {v ? v : "", v != nullptr}});
    }
    fs::path root_;
    std::vector<std::pair<std::string, std::pair<std::string, bool>>> saved_;
};

// The decoders' folders in dir (the sound server keeps its own there too).
std::vector<fs::path> scoreFolders(const fs::path& dir) {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind("quillmere-scores-", 0) == 0) out.push_back(e.path());
    return out;
}

TEST(SharedScores, GiveTheVerdictsOfScoringTwiceAndLeaveNothingBehind) {
    qm::test::SpeechClips clips;
    TempFolders folders;
    const fs::path tmp = folders.tmp();
    Pcm pcm;
    for (const char* text : {"take a note", "next track", "take a nap", "go back to sleep now"}) {
        const Pcm said = clips.say(text);
        pcm.insert(pcm.end(), said.begin(), said.end());
        pcm.insert(pcm.end(), 16000, 0);
    }
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
}

// The session's private runtime folder is used when there is one. A folder
// that a cleaner took away is made again; a link standing at its name is
// never written through, and the stretch is refused with the cause.
TEST(SharedScores, TheFolderIsOursAloneAndGoesWhenTheProgramExits) {
    qm::test::SpeechClips clips;
    TempFolders folders;
    const fs::path run = folders.root() / "run", elsewhere = folders.root() / "elsewhere";
    fs::create_directories(run);
    fs::create_directories(elsewhere);
    fs::permissions(run, fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    Pcm pcm = clips.say("take a note");
    pcm.insert(pcm.end(), 16000, 0);

    qm::sphinx::SphinxDecoder decoder({"take a note", "go back"});
    std::vector<std::string> heard;
    int refused = 0;
    decoder.onPhraseAccepted([&](std::size_t, const std::string& p) { heard.push_back(p); });
    decoder.onPhraseRefused([&] { ++refused; });
    ASSERT_EQ(scoreFolders(run).size(), 1u);
    EXPECT_TRUE(fs::is_empty(folders.tmp()));
    const fs::path folder = scoreFolders(run)[0];

    fs::remove(folder);
    EXPECT_EQ(feed(decoder, pcm), "");
    EXPECT_EQ(heard, std::vector<std::string>{"take a note"});
    EXPECT_TRUE(fs::is_directory(folder)) << "made again";

    fs::remove(folder);
    fs::create_directory_symlink(elsewhere, folder);
    const std::string failure = feed(decoder, pcm);
    EXPECT_NE(failure.find(folder.string()), std::string::npos) << "the cause is named: " << failure;
    EXPECT_EQ(heard.size(), 1u);
    EXPECT_EQ(refused, 1) << "the stretch still ends";
    EXPECT_TRUE(fs::is_empty(elsewhere));
    fs::remove(folder);

    // exit() runs no destructor of the decoder; the folder goes all the same.
    EXPECT_EXIT(
        {
            new qm::sphinx::SphinxDecoder(std::vector<std::string>{"take a note"});
            std::exit(scoreFolders(run).empty() ? 2 : 3);
        },
        testing::ExitedWithCode(3), "");
    EXPECT_TRUE(scoreFolders(run).empty()) << "the folder outlived a program that ended through exit()";
}

}  // namespace
