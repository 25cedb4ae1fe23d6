#include "frame/guid.h"

#include <glib.h>

#include <array>
#include <cstdio>
#include <cstring>

#include "nerla_plugin.h"

namespace nerla {
namespace {

using Bytes = std::array<uint8_t, 16>;

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The sixteen bytes in text order.
std::optional<Bytes> parseBytes(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') {
        return std::nullopt;
    }
    Bytes bytes{};
    size_t b = 0;
    for (size_t i = 1; i < 37;) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            ++i;
            continue;
        }
        const int high = hexValue(text[i]), low = hexValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes[b++] = static_cast<uint8_t>(high << 4 | low);
        i += 2;
    }
    return bytes;
}

NerlaGUID fromBytes(const Bytes& b) {
    NerlaGUID guid{};
    guid.Data1 = static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
                 static_cast<uint32_t>(b[2]) << 8 | b[3];
    guid.Data2 = static_cast<uint16_t>(b[4] << 8 | b[5]);
    guid.Data3 = static_cast<uint16_t>(b[6] << 8 | b[7]);
    std::memcpy(guid.Data4, &b[8], 8);
    return guid;
}

}  // namespace

std::optional<NerlaGUID> parseGuid(std::string_view text) {
    const std::optional<Bytes> bytes = parseBytes(text);
    if (!bytes) {
        return std::nullopt;
    }
    return fromBytes(*bytes);
}

std::string formatGuid(const NerlaGUID& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

bool operator==(const NerlaGUID& a, const NerlaGUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

bool isNullGuid(const NerlaGUID& guid) {
    return guid == NerlaGUID{};
}

NerlaGUID factoryGuid(std::string_view factoryName) {
    static const Bytes space = *parseBytes(NERLA_FACTORY_GUID_NAMESPACE);
    GChecksum* sha1 = g_checksum_new(G_CHECKSUM_SHA1);
    g_checksum_update(sha1, space.data(), space.size());
    g_checksum_update(sha1, reinterpret_cast<const guchar*>(factoryName.data()),
                      static_cast<gssize>(factoryName.size()));
    uint8_t digest[20];
    gsize length = sizeof digest;
    g_checksum_get_digest(sha1, digest, &length);
    g_checksum_free(sha1);
    Bytes b;
    std::memcpy(b.data(), digest, 16);
    b[6] = static_cast<uint8_t>((b[6] & 0x0F) | 0x50);
    b[8] = static_cast<uint8_t>((b[8] & 0x3F) | 0x80);
    return fromBytes(b);
}

}  // namespace nerla
