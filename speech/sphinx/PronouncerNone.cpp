// The Windows program has no letter-to-sound rules: flite's lexicon alone
// would take the program past the size of a small download. A word the
// dictionary lacks is reported to the user instead, by the caller.
#include "speech/sphinx/Pronouncer.h"

namespace qm::sphinx {

struct Pronouncer::Impl {};

Pronouncer::Pronouncer() : impl_(nullptr) {}

Pronouncer::~Pronouncer() = default;

std::vector<SpokenWord> Pronouncer::spell(const std::string&) const { return {}; }

}  // namespace qm::sphinx
