#include "SpeechClips.h"

#include "app/hear/WavFile.h"

#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace qm::test {

namespace {

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace

SpeechClips::SpeechClips()
    : dir_(std::filesystem::temp_directory_path() / ("qm_clips_" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_);
}

SpeechClips::~SpeechClips() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::vector<std::int16_t> SpeechClips::say(const std::string& text, const std::string& voice, int speed) {
    const std::string raw = (dir_ / ("raw" + std::to_string(count_) + ".wav")).string();
    const std::string wav = (dir_ / ("clip" + std::to_string(count_++) + ".wav")).string();
    const std::string cmd = "espeak-ng -v " + quote(voice) + " -s " + std::to_string(speed) + " -w " + quote(raw) +
                            " -- " + quote(text) + " && sox -R -q " + quote(raw) + " -r 16000 -c 1 -b 16 " + quote(wav) +
                            " gain -n -3 pad 0.4 0.8";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("cannot synthesise: " + text);
    return qm::hear::readWav16kMono(wav);
}

}  // namespace qm::test
