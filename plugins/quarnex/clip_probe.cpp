#include "quarnex/clip_probe.h"

#include <fstream>
#include <map>
#include <vector>

namespace quarnex {
namespace {

constexpr uint64_t kWrap = uint64_t{1} << 33;
// The streams of a clip start within its first megabytes; a clip whose
// first timestamp lies later is read further once.
constexpr size_t kScanBytes = 2 << 20;
constexpr size_t kLongScanBytes = 8 << 20;
constexpr size_t kTsPacket = 188;

// Offset of the first sync byte and the packet stride, or stride 0.
struct Framing {
    size_t first = 0;
    size_t stride = 0;
};

Framing detectFraming(std::span<const uint8_t> data) {
    for (const Framing candidate : {Framing{4, 192}, Framing{0, 188}}) {
        bool ok = data.size() >= candidate.first + 2 * candidate.stride + kTsPacket;
        for (size_t i = 0; ok && i < 3; ++i) {
            ok = data[candidate.first + i * candidate.stride] == 0x47;
        }
        if (ok) {
            return candidate;
        }
    }
    return {};
}

uint64_t readTimestamp(const uint8_t* p) {
    return (uint64_t{static_cast<uint8_t>(p[0] >> 1) & 0x07u} << 30) | (uint64_t{p[1]} << 22) |
           (uint64_t{static_cast<uint8_t>(p[2] >> 1)} << 15) | (uint64_t{p[3]} << 7) |
           uint64_t{static_cast<uint8_t>(p[4] >> 1)};
}

// The PTS of a PES header starting at `pes`, if any.
std::optional<uint64_t> pesTimestamp(const uint8_t* pes, size_t size) {
    if (size < 9 || pes[0] != 0 || pes[1] != 0 || pes[2] != 1) {
        return std::nullopt;
    }
    const uint8_t streamId = pes[3];
    // streams without the optional PES header (padding, private_stream_2, ...)
    if (streamId == 0xBC || streamId == 0xBE || streamId == 0xBF || streamId == 0xF0 ||
        streamId == 0xF1 || streamId == 0xFF || streamId == 0xF2 || streamId == 0xF8) {
        return std::nullopt;
    }
    if ((pes[7] & 0x80) && size >= 14) {
        return readTimestamp(pes + 9);
    }
    return std::nullopt;
}

}  // namespace

int64_t timestampDistance(uint64_t a, uint64_t b) {
    uint64_t d = (a - b) & (kWrap - 1);
    return d >= kWrap / 2 ? static_cast<int64_t>(d) - static_cast<int64_t>(kWrap)
                          : static_cast<int64_t>(d);
}

std::optional<uint64_t> firstTimestamp(std::span<const uint8_t> data) {
    const Framing framing = detectFraming(data);
    if (framing.stride == 0) {
        return std::nullopt;
    }
    std::map<unsigned, uint64_t> firstByPid;
    for (size_t at = framing.first; at + kTsPacket <= data.size(); at += framing.stride) {
        const uint8_t* p = data.data() + at;
        if (p[0] != 0x47) {
            continue;
        }
        const bool unitStart = p[1] & 0x40;
        const unsigned pid = ((p[1] & 0x1Fu) << 8) | p[2];
        const unsigned control = (p[3] >> 4) & 0x3;
        if (!unitStart || !(control & 1) || pid < 0x20 || pid == 0x1FFF || firstByPid.count(pid)) {
            continue;
        }
        size_t payload = 4;
        if (control & 2) {
            payload += 1 + size_t{p[4]};
        }
        if (payload >= kTsPacket) {
            continue;
        }
        if (const auto ts = pesTimestamp(p + payload, kTsPacket - payload)) {
            firstByPid.emplace(pid, *ts);
        }
    }
    if (firstByPid.empty()) {
        return std::nullopt;
    }
    uint64_t earliest = firstByPid.begin()->second;
    for (const auto& [pid, ts] : firstByPid) {
        if (timestampDistance(ts, earliest) < 0) {
            earliest = ts;
        }
    }
    return earliest;
}

std::optional<uint64_t> clipFirstTimestamp(const std::string& path) {
    for (const size_t limit : {kScanBytes, kLongScanBytes}) {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            return std::nullopt;
        }
        std::vector<uint8_t> bytes(limit);
        file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(limit));
        bytes.resize(static_cast<size_t>(file.gcount()));
        if (const auto ts = firstTimestamp(bytes)) {
            return ts;
        }
        if (bytes.size() < limit) {
            break;  // the whole file was read
        }
    }
    return std::nullopt;
}

}  // namespace quarnex
