// quillmere-hear refuses what it cannot use: exit status 2 and a message on
// standard error that names the problem, before any audio is decoded.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct HearRun {
    int status = -1;
    std::string output;  // standard output and error together
};

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

HearRun hear(const std::string& args, const std::string& env = "") {
    const std::string cmd = env + " " + quote(QM_HEAR_PATH) + " " + args + " 2>&1";
    HearRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 512> buf{};
    while (std::fgets(buf.data(), static_cast<int>(buf.size()), p)) r.output += buf.data();
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

class HearArguments : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qm_hear_args_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        std::ofstream(dir_ / "words.txt", std::ios::binary) << "[Grammar]\r\n<start>=volume up\r\n";
        writeWav("stereo.wav", 2, 8000);
        writeWav("mono.wav", 1, 16000);
        std::ofstream(dir_ / "junk.wav", std::ios::binary) << "not a wav";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void writeWav(const char* name, unsigned channels, unsigned rate) {
        std::ofstream out(dir_ / name, std::ios::binary);
        auto u16 = [&](unsigned v) { out.put(static_cast<char>(v & 0xff)).put(static_cast<char>((v >> 8) & 0xff)); };
        auto u32 = [&](unsigned v) { u16(v & 0xffff); u16(v >> 16); };
        const unsigned samples = 1600 * channels, bytes = samples * 2;
        out << "RIFF";
        u32(36 + bytes);
        out << "WAVEfmt ";
        u32(16); u16(1); u16(channels); u32(rate); u32(rate * channels * 2); u16(channels * 2); u16(16);
        out << "data";
        u32(bytes);
        for (unsigned i = 0; i < samples; ++i) u16(0);
    }
    std::string path(const char* name) const { return quote((dir_ / name).string()); }

    fs::path dir_;
};

TEST_F(HearArguments, RefusalsExitTwoAndSayWhy) {
    struct {
        const char* name;
        std::string args;
        std::string env;
        std::string message;
    } cases[] = {
        {"no arguments", "", "", "no grammar file given"},
        {"no audio", path("words.txt"), "", "no audio file given"},
        {"missing audio", path("words.txt") + " " + path("missing.wav"), "", "missing.wav: cannot open"},
        {"wrong format", path("words.txt") + " " + path("stereo.wav"), "", "8000 Hz stereo 16-bit"},
        // A bad file anywhere in the list stops the run before decoding.
        {"second file bad", path("words.txt") + " " + path("mono.wav") + " " + path("junk.wav"), "", "junk.wav: not a RIFF/WAVE"},
        {"missing grammar", path("nowords.txt") + " " + path("mono.wav"), "", "nowords.txt"},
        {"missing model", path("words.txt") + " " + path("mono.wav"), "QM_SPHINX_MODEL=/nonexistent/model", "/nonexistent/model"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HearRun r = hear(c.args, c.env);
        EXPECT_EQ(r.status, 2) << r.output;
        EXPECT_NE(r.output.find("quillmere-hear: "), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
    }
}

TEST_F(HearArguments, SilenceIsHeardAsNothing) {
    // The accepted counterpart of the refusals: a valid file exits 0, says nothing.
    const HearRun r = hear(path("words.txt") + " " + path("mono.wav"));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "");
}

}  // namespace
