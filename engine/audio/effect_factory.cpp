#include "audio/effect_factory.h"

namespace nerla {

// The effect types join here as they are built.
std::unique_ptr<CBaseFX> createEffect(int32_t /*type*/) {
    return nullptr;
}

}  // namespace nerla
