// Takes a steady noise floor (a fan, a hissing microphone) out of one stretch
// of speech before it is decoded. The acoustic model was trained on quiet
// recordings: over a floor 20 to 30 dB under the voice, the weak sounds of a
// phrase ("s", "f", "th") drown, and the search then prefers whichever
// phrase fits the noise, which can be a wrong command.
//
// The floor's spectrum is learnt from the quiet that opens the stretch (the
// segmenter's pre-roll), so the stretch alone decides the result: what was
// heard before does not change it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm::sphinx {

struct NoiseReductionOptions {
    // Power subtracted, as a multiple of the noise estimate: more than the
    // estimate, so that the noise's own ups and downs are covered too.
    double overSubtraction = 2.0;
    // Nothing is taken below this share of a bin's power: a bin emptied
    // to zero would leave holes that sound like speech to the model.
    double floorShare = 0.1;
};

// Subtracts the noise spectrum of audio[0, quietSamples) from the whole of
// audio, in place. Does nothing when the opening quiet is too short to learn
// from or holds no sound at all (digital silence).
void reduceNoise(std::vector<std::int16_t>& audio, std::size_t quietSamples,
                 const NoiseReductionOptions& options = {});

}  // namespace qm::sphinx
