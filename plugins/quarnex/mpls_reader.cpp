#include "quarnex/mpls_reader.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace quarnex {
namespace {

// Playlist files are a few kilobytes; anything far larger is not one.
constexpr std::streamoff kMaxFileSize = 4 << 20;

constexpr size_t kHeaderSize = 40;         // magic, version, three addresses, reserved
constexpr size_t kPlayListFixedSize = 10;  // length, reserved, item and sub-path counts
constexpr size_t kPlayItemMinSize = 20;    // name, codec, flags, STC id, IN_time, OUT_time

class Reader {
  public:
    explicit Reader(std::span<const uint8_t> data) : data_(data) {}

    bool has(size_t offset, size_t count) const {
        return offset <= data_.size() && count <= data_.size() - offset;
    }
    uint16_t u16(size_t offset) const {
        return static_cast<uint16_t>((data_[offset] << 8) | data_[offset + 1]);
    }
    uint32_t u32(size_t offset) const {
        return (uint32_t{data_[offset]} << 24) | (uint32_t{data_[offset + 1]} << 16) |
               (uint32_t{data_[offset + 2]} << 8) | uint32_t{data_[offset + 3]};
    }
    std::string text(size_t offset, size_t count) const {
        return std::string(reinterpret_cast<const char*>(data_.data() + offset), count);
    }

  private:
    std::span<const uint8_t> data_;
};

bool isClipName(const std::string& name) {
    return name.size() == 5 &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isVersion(const std::string& version) {
    return version.size() == 4 &&
           std::all_of(version.begin(), version.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<Playlist> parseMpls(std::span<const uint8_t> data) {
    const Reader in(data);
    if (!in.has(0, kHeaderSize) || in.text(0, 4) != "MPLS" || !isVersion(in.text(4, 4))) {
        return std::nullopt;
    }
    const size_t list = in.u32(8);
    if (list < kHeaderSize || !in.has(list, kPlayListFixedSize)) {
        return std::nullopt;
    }
    // The PlayList() block: its length counts the bytes after the length field.
    const size_t listEnd = list + 4 + size_t{in.u32(list)};
    if (!in.has(list, listEnd - list) || listEnd < list + kPlayListFixedSize) {
        return std::nullopt;
    }
    const unsigned count = in.u16(list + 6);
    if (count == 0) {
        return std::nullopt;
    }

    Playlist playlist;
    playlist.items.reserve(count);
    size_t item = list + kPlayListFixedSize;
    for (unsigned i = 0; i < count; ++i) {
        if (item + 2 > listEnd) {
            return std::nullopt;
        }
        const size_t length = in.u16(item);
        const size_t body = item + 2;
        if (length < kPlayItemMinSize || body + length > listEnd) {
            return std::nullopt;
        }
        PlayItem entry;
        entry.clip = in.text(body, 5);
        if (!isClipName(entry.clip) || in.text(body + 5, 4) != "M2TS") {
            return std::nullopt;
        }
        entry.inTime = in.u32(body + 12);
        entry.outTime = in.u32(body + 16);
        if (entry.outTime <= entry.inTime) {
            return std::nullopt;
        }
        playlist.items.push_back(std::move(entry));
        item = body + length;
    }
    return playlist;
}

std::optional<Playlist> readMpls(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        return std::nullopt;
    }
    const std::streamoff size = file.tellg();
    if (size <= 0 || size > kMaxFileSize) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) {
        return std::nullopt;
    }
    return parseMpls(bytes);
}

}  // namespace quarnex
