// Creates a built-in effect by its type number.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/base_fx.h"

namespace nerla {

// Null for a type the engine does not have.
std::unique_ptr<CBaseFX> createEffect(int32_t type);

}  // namespace nerla
