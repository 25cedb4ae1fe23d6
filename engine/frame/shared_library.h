// One load of a shared object; unloaded when the last owner lets go.
#pragma once

#include <memory>
#include <string>

namespace nerla {

class SharedLibrary {
  public:
    // Null when the file cannot be loaded.
    static std::shared_ptr<SharedLibrary> open(const std::string& path);
    ~SharedLibrary();

    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    void* symbol(const char* name) const;
    const std::string& path() const { return path_; }

  private:
    SharedLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}

    void* handle_;
    std::string path_;
};

}  // namespace nerla
