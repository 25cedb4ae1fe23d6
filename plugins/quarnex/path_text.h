// Paths handed to the splitter as UTF-16, in the UTF-8 the file system takes.
#pragma once

#include <optional>
#include <string>

namespace quarnex {

// nullopt for a null pointer or text that is not valid UTF-16.
std::optional<std::string> utf8FromUtf16(const char16_t* text);

}  // namespace quarnex
