// Keeps C++ exceptions from crossing the C boundary.
#pragma once

#include <new>

#include "frame/library.h"
#include "frame/log.h"

namespace nerla {

// Runs `body`; an exception becomes `failure` (out of memory also sets
// NERLA_ERROR_MEMORY).
template <typename R, typename F>
R guarded(R failure, F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        setError(NERLA_ERROR_MEMORY);
    } catch (...) {
        GST_CAT_ERROR(nerla_frame_debug, "exception stopped at the C interface");
    }
    return failure;
}

}  // namespace nerla
