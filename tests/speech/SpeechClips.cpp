#include "SpeechClips.h"

#include "app/hear/WavFile.h"
#include "speech/sphinx/SphinxDecoder.h"

#include <algorithm>
#include <cmath>
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
    const std::string flite = "flite:";
    const std::string synth =
        voice.compare(0, flite.size(), flite) == 0
            ? "flite -voice " + quote(voice.substr(flite.size())) + " --setf duration_stretch=" +
                  std::to_string(150.0 / speed) + " -t " + quote(text) + " -o " + quote(raw)
            : "espeak-ng -v " + quote(voice) + " -s " + std::to_string(speed) + " -w " + quote(raw) + " -- " + quote(text);
    const std::string cmd = synth + " && sox -R -q " + quote(raw) + " -r 16000 -c 1 -b 16 " + quote(wav) +
                            " gain -n -3 pad 0.4 0.8";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("cannot synthesise: " + text);
    return qm::hear::readWav16kMono(wav);
}

std::vector<std::int16_t> whiteNoise(std::size_t n, double rmsDb, std::uint32_t seed) {
    const double peak = 32767.0 * std::pow(10.0, rmsDb / 20.0) * std::sqrt(3.0);
    std::vector<std::int16_t> out(n);
    for (auto& s : out) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<std::int16_t>(std::lround(((seed >> 8) / double(1u << 24) * 2 - 1) * peak));
    }
    return out;
}

std::vector<std::int16_t> overNoiseFloor(const std::vector<std::int16_t>& said, double gainDb, double floorDb,
                                         std::size_t shift, std::uint32_t seed) {
    const double gain = std::pow(10.0, gainDb / 20.0);
    const std::size_t at = 16000 + shift;
    std::vector<std::int16_t> out = whiteNoise(at + said.size(), floorDb, seed);
    for (std::size_t i = 0; i < said.size(); ++i)
        out[at + i] = static_cast<std::int16_t>(
            std::clamp(std::lround(out[at + i] + said[i] * gain), long(-32768), long(32767)));
    return out;
}

std::vector<std::string> heardPhrases(sphinx::SphinxDecoder& decoder, const std::vector<std::int16_t>& pcm,
                                      std::size_t buffer) {
    std::vector<std::string> heard;
    decoder.onPhraseAccepted([&](std::size_t, const std::string& phrase) { heard.push_back(phrase); });
    for (std::size_t at = 0; at < pcm.size(); at += buffer)
        decoder.process(pcm.data() + at, std::min(buffer, pcm.size() - at));
    decoder.finish();
    return heard;
}

}  // namespace qm::test
