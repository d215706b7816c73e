#include "UsualMargin.h"

#include <algorithm>
#include <vector>

namespace qm::sphinx {

int UsualMargin::limit() const {
    if (options_.after == 0 || recent_.size() < options_.after) return INT_MIN;
    std::vector<int> sorted(recent_.begin(), recent_.end());
    const auto mid = sorted.begin() + std::ptrdiff_t(sorted.size() / 2);
    std::nth_element(sorted.begin(), mid, sorted.end());
    return std::min(*mid - options_.below, options_.strictest);
}

void UsualMargin::learn(int margin) {
    if (options_.after == 0) return;
    recent_.push_back(margin);
    while (recent_.size() > std::max<std::size_t>(options_.of, 1)) recent_.pop_front();
}

}  // namespace qm::sphinx
