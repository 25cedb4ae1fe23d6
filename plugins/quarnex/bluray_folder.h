// The layout of a Blu-ray folder around one of its playlist files:
// <root>/BDMV/PLAYLIST/<name>.mpls and the clips in <root>/BDMV/STREAM.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quarnex {

class BlurayFolder {
  public:
    // The folder of the playlist file at `playlist` (UTF-8); nullopt when
    // the path does not name a .mpls file inside BDMV/PLAYLIST.
    static std::optional<BlurayFolder> fromPlaylist(const std::string& playlist);

    // The stream file of clip `clip` ("00001" -> BDMV/STREAM/00001.m2ts),
    // matched without regard to case as discs and their copies differ; an
    // empty path when there is no such regular file.
    std::filesystem::path clipPath(const std::string& clip) const;

  private:
    explicit BlurayFolder(std::filesystem::path bdmv) : bdmv_(std::move(bdmv)) {}

    std::filesystem::path bdmv_;
};

}  // namespace quarnex
