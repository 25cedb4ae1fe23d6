#include "quarnex/bluray_folder.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace quarnex {
namespace {

namespace fs = std::filesystem;

bool sameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The entry of `dir` named `name` in any case, exact spelling first.
fs::path findEntry(const fs::path& dir, const std::string& name) {
    std::error_code error;
    if (fs::exists(dir / name, error)) {
        return dir / name;
    }
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        if (sameText(it->path().filename().string(), name)) {
            return it->path();
        }
    }
    return {};
}

}  // namespace

std::optional<BlurayFolder> BlurayFolder::fromPlaylist(const std::string& playlist) {
    const fs::path path(playlist);
    const fs::path list = path.parent_path();
    const fs::path bdmv = list.parent_path();
    if (!sameText(path.extension().string(), ".mpls") || path.stem().empty() ||
        !sameText(list.filename().string(), "PLAYLIST") ||
        !sameText(bdmv.filename().string(), "BDMV")) {
        return std::nullopt;
    }
    return BlurayFolder(bdmv);
}

fs::path BlurayFolder::clipPath(const std::string& clip) const {
    const fs::path streams = findEntry(bdmv_, "STREAM");
    if (streams.empty()) {
        return {};
    }
    const fs::path file = findEntry(streams, clip + ".m2ts");
    std::error_code error;
    if (file.empty() || !fs::is_regular_file(file, error)) {
        return {};
    }
    return file;
}

}  // namespace quarnex
