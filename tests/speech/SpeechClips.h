// Speech clips for the engine tests, spoken by espeak-ng into a temporary
// folder as 16 kHz mono WAV with silence around them, the way a command
// arrives from a microphone.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qm::test {

class SpeechClips {
public:
    SpeechClips();
    ~SpeechClips();
    SpeechClips(const SpeechClips&) = delete;
    SpeechClips& operator=(const SpeechClips&) = delete;

    // Synthesises TEXT with VOICE at SPEED words per minute; returns the
    // samples. Throws std::runtime_error when a tool fails.
    std::vector<std::int16_t> say(const std::string& text, const std::string& voice = "en-us", int speed = 150);

private:
    std::filesystem::path dir_;
    int count_ = 0;
};

}  // namespace qm::test
