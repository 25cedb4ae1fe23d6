#include "frame/text.h"

#include <glib.h>

#include "frame/gst_ptr.h"

namespace nerla {

TextEncoding encodingFromSignForm(uint32_t flags) {
    return (flags & 0x80000000u) ? TextEncoding::Utf16 : TextEncoding::Ansi;
}

std::optional<TextEncoding> encodingFromExactForm(uint32_t value) {
    if (value == 0) {
        return TextEncoding::Ansi;
    }
    if (value == 0x80000000u) {
        return TextEncoding::Utf16;
    }
    return std::nullopt;
}

TextEncoding encodingFromZeroForm(uint32_t value) {
    return value ? TextEncoding::Utf16 : TextEncoding::Ansi;
}

std::optional<std::string> readText(const void* text, TextEncoding encoding) {
    if (!text) {
        return std::nullopt;
    }
    if (encoding == TextEncoding::Ansi) {
        return std::string(static_cast<const char*>(text));
    }
    GCharPtr utf8(
        g_utf16_to_utf8(static_cast<const gunichar2*>(text), -1, nullptr, nullptr, nullptr));
    if (!utf8) {
        return std::nullopt;
    }
    return std::string(utf8.get());
}

std::u16string toUtf16(const std::string& utf8, size_t maxUnits) {
    std::u16string out;
    if (maxUnits == 0) {
        return out;
    }
    glong units = 0;
    std::unique_ptr<gunichar2, GFree> wide(
        g_utf8_to_utf16(utf8.c_str(), -1, nullptr, &units, nullptr));
    if (!wide) {
        return out;
    }
    out.assign(reinterpret_cast<const char16_t*>(wide.get()), static_cast<size_t>(units));
    if (out.size() > maxUnits - 1) {
        size_t cut = maxUnits - 1;
        if (cut > 0 && out[cut - 1] >= 0xD800 && out[cut - 1] <= 0xDBFF) {
            --cut;  // keep surrogate pairs whole
        }
        out.resize(cut);
    }
    return out;
}

std::string toAnsi(const std::string& utf8, size_t maxBytes) {
    if (maxBytes == 0) {
        return {};
    }
    if (utf8.size() <= maxBytes - 1) {
        return utf8;
    }
    size_t cut = maxBytes - 1;
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) {
        --cut;  // do not split a character
    }
    return utf8.substr(0, cut);
}

}  // namespace nerla
