// Speech clips for the engine tests, spoken by espeak-ng or flite into a temporary
// folder as 16 kHz mono WAV with silence around them, the way a command
// arrives from a microphone.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qm::sphinx {
class SphinxDecoder;
}

namespace qm::test {

class SpeechClips {
public:
    SpeechClips();
    ~SpeechClips();
    SpeechClips(const SpeechClips&) = delete;
    SpeechClips& operator=(const SpeechClips&) = delete;

    // Synthesises TEXT with VOICE at SPEED words per minute; returns the
    // samples. VOICE is espeak-ng's, or "flite:NAME" for one of flite's,
    // which are made from recordings of people and which the acoustic
    // model fits far better. Throws std::runtime_error when a tool fails.
    std::vector<std::int16_t> say(const std::string& text, const std::string& voice = "en-us", int speed = 150);

private:
    std::filesystem::path dir_;
    int count_ = 0;
};

// White noise of the given RMS (dB of full scale), from a fixed seed.
std::vector<std::int16_t> whiteNoise(std::size_t n, double rmsDb, std::uint32_t seed);

// A second of a white noise floor (RMS in dB of full scale), then SHIFT
// more samples of it, then SAID, made gainDb louder (or quieter), over the
// same floor.
std::vector<std::int16_t> overNoiseFloor(const std::vector<std::int16_t>& said, double gainDb, double floorDb,
                                         std::size_t shift, std::uint32_t seed);

// Feeds PCM to the decoder BUFFER samples at a time, as a microphone
// delivers it, then ends the stream; the phrases it accepted, in order.
std::vector<std::string> heardPhrases(sphinx::SphinxDecoder& decoder, const std::vector<std::int16_t>& pcm,
                                      std::size_t buffer = 320);

}  // namespace qm::test
