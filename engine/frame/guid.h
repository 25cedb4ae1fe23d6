// Class GUIDs: the braced text form, and the name-based GUID of an element
// factory.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "nerla.h"

namespace nerla {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; nullopt for anything else.
std::optional<NerlaGUID> parseGuid(std::string_view text);
std::string formatGuid(const NerlaGUID& guid);

bool operator==(const NerlaGUID& a, const NerlaGUID& b);
bool isNullGuid(const NerlaGUID& guid);

// Version 5 UUID of the factory name in the engine's factory namespace.
NerlaGUID factoryGuid(std::string_view factoryName);

}  // namespace nerla
