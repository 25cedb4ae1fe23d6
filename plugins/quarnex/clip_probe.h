// Finds where a clip's presentation timeline starts, as the demuxer sees it:
// the earliest presentation timestamp among the first packets of the
// elementary streams of an MPEG transport stream (188-byte packets, or the
// 192-byte packets of Blu-ray clips).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quarnex {

// 90 kHz ticks, 33 bits; nullopt when no timestamp is found.
std::optional<uint64_t> firstTimestamp(std::span<const uint8_t> data);

// The same for the start of the file at `path`.
std::optional<uint64_t> clipFirstTimestamp(const std::string& path);

// `a - b` for two 33-bit timestamps, taking the shorter way round the wrap.
int64_t timestampDistance(uint64_t a, uint64_t b);

}  // namespace quarnex
