// How far this speaker's phrases usually come from the phone loop, learnt
// from the phrases heard so far, and the stricter limit that follows.
//
// How well the acoustic model fits a voice sets where its commands land
// against the loop: a voice it fits puts them well above the fixed limit,
// where a near miss (a sentence sharing most of a phrase's words) falls
// far below them but still above that limit. Once the usual margin of a
// voice is known, a phrase far below it is refused.
#pragma once

#include <climits>
#include <cstddef>
#include <deque>

namespace qm::sphinx {

struct UsualMarginOptions {
    std::size_t after = 0;   // margins known before any limit is set (0: never)
    std::size_t of = 20;     // the last this many margins make the usual one
    int below = 20;          // the limit lies this far below their median
    int strictest = -8;      // and never above this
};

class UsualMargin {
public:
    explicit UsualMargin(UsualMarginOptions options = {}) : options_(options) {}

    // The margin per frame the next phrase must reach; INT_MIN while too
    // few are known.
    int limit() const;

    // A phrase that passed every fixed check, near misses included: they
    // only pull the median down, so a voice that starts to fit worse (a
    // cold, a noisier room) loosens the limit again rather than being
    // locked out by it.
    void learn(int margin);

private:
    UsualMarginOptions options_;
    std::deque<int> recent_;
};

}  // namespace qm::sphinx
