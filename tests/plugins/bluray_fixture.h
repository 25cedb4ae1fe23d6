// Generated Blu-ray folders for the splitter's tests: clips made with
// GStreamer's mpegtsmux and playlist files written from the published MPLS
// layout.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fixture {

struct MplsItem {
    std::string clip;  // five characters
    uint32_t inTime;   // 45 kHz ticks
    uint32_t outTime;
    std::string codec = "M2TS";
};

// The bytes of a playlist file with `items` (version "0200").
std::vector<uint8_t> mplsBytes(const std::vector<MplsItem>& items);
void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// A clip of `frames` frames at 25 fps, 160x120 H.264 on a plain background
// (0xAARRGGBB) with a moving ball, `bframes` B-frames between references,
// and (with `audio`) stereo AAC of the same length; in 192-byte packets.
bool makeClip(const std::filesystem::path& path, unsigned frames, uint32_t background,
              unsigned bframes, bool audio = true);

// The PTS (90 kHz) of the first video PES packet of a transport stream.
uint64_t firstVideoPts(const std::filesystem::path& path);

constexpr uint32_t kTicksPerFrame = 45000 / 25;

// A folder in the system's temporary directory, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace fixture
