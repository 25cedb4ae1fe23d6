#include "audio/history_ring.h"

#include <algorithm>
#include <cstring>

namespace nerla {

void HistoryRing::write(const uint8_t* data, size_t n, int64_t start100ns) {
    const size_t size = bytes_.size();
    if (size == 0) {
        return;
    }
    if (position_ + n <= size) {
        std::memcpy(bytes_.data() + position_, data, n);
        position_ += n;
    } else {
        const size_t first = size - position_;
        const size_t rest = std::min(n - first, size);
        std::memcpy(bytes_.data() + position_, data, first);
        std::memcpy(bytes_.data(), data + first, rest);
        position_ = rest;
    }
    lastStart_ = start100ns;
    lastBytes_ = std::min(n, size);
}

}  // namespace nerla
