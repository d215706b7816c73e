// Reader for the one audio format the speech engine takes: RIFF/WAVE,
// 16 kHz, mono, 16-bit PCM. Anything else is refused with a message that
// says what the file holds instead.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace qm::hear {

class WavError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct WavFormat {
    std::uint16_t encoding = 0;  // 1 PCM, 3 IEEE float, 6/7 A-law/mu-law
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
};

// "8000 Hz stereo 16-bit", "16000 Hz mono 32-bit float", "44100 Hz 6-channel 24-bit".
std::string describe(const WavFormat& f);

// Parses a whole WAV image. Throws WavError naming the problem.
std::vector<std::int16_t> parseWav16kMono(const std::vector<unsigned char>& bytes, WavFormat* found = nullptr);

// Reads and parses a file; errors name the file.
std::vector<std::int16_t> readWav16kMono(const std::string& path);

}  // namespace qm::hear
