// Reads the play items of a Blu-ray playlist file (BDMV/PLAYLIST/*.mpls).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quarnex {

// One play item: a clip of BDMV/STREAM and the part of it to play, in the
// 45 kHz ticks of the clip's presentation timestamps.
struct PlayItem {
    std::string clip;  // five digits, e.g. "00001"
    uint32_t inTime = 0;
    uint32_t outTime = 0;
};

struct Playlist {
    std::vector<PlayItem> items;
};

// Parses the bytes of a playlist file; nullopt when they are not a playlist
// with at least one well-formed play item.
std::optional<Playlist> parseMpls(std::span<const uint8_t> data);

// Reads and parses the file at `path` (UTF-8).
std::optional<Playlist> readMpls(const std::string& path);

}  // namespace quarnex
