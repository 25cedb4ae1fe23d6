// Text arguments of the exports: ANSI (UTF-8 here) or UTF-16, by flag.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nerla {

enum class TextEncoding { Ansi, Utf16 };

// The three ways an export's flag argument names the encoding.
TextEncoding encodingFromSignForm(uint32_t flags);                  // bit 31 set: UTF-16
std::optional<TextEncoding> encodingFromExactForm(uint32_t value);  // 0 or 0x80000000 only
TextEncoding encodingFromZeroForm(uint32_t value);                  // non-zero: UTF-16

// Reads a zero-terminated text argument into UTF-8. ANSI bytes are taken as
// they are (file names are bytes); UTF-16 that is not valid gives nullopt.
std::optional<std::string> readText(const void* text, TextEncoding encoding);

// Converts for a caller: UTF-16 or ANSI, cut to `maxUnits` code units
// including the terminator, never in the middle of a character.
std::u16string toUtf16(const std::string& utf8, size_t maxUnits);
std::string toAnsi(const std::string& utf8, size_t maxBytes);

}  // namespace nerla
