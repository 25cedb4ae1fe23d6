// How the outcome of rendering a medium maps onto the last-error code.
#pragma once

#include <glib.h>

namespace nerla {

enum class RenderResult {
    Ok,           // everything or part of the medium rendered
    OutOfMemory,  // NERLA_ERROR_MEMORY
    Format,       // not found, not recognised, cannot connect or decode: NERLA_ERROR_FORMAT
    Other,        // failure that leaves the last-error code as it was
    Stalled,      // the decoder made no progress at all; worth one restart
};

// Classifies a GStreamer error posted while rendering.
RenderResult renderResultFromError(const GError* error);

// Sets the last-error code for `result`; true for success.
bool applyRenderResult(RenderResult result);

}  // namespace nerla
