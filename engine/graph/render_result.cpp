#include "graph/render_result.h"

#include <gst/gst.h>

#include "frame/library.h"

namespace nerla {

RenderResult renderResultFromError(const GError* error) {
    if (!error) {
        return RenderResult::Ok;
    }
    if (error->domain == GST_STREAM_ERROR) {
        return RenderResult::Format;  // unknown type, no codec, demux or decode failure
    }
    if (error->domain == GST_RESOURCE_ERROR) {
        switch (error->code) {
            case GST_RESOURCE_ERROR_NO_SPACE_LEFT:
                return RenderResult::Other;
            default:
                return RenderResult::Format;  // missing, unreadable or unreachable source
        }
    }
    if (error->domain == GST_CORE_ERROR) {
        switch (error->code) {
            case GST_CORE_ERROR_NEGOTIATION:
            case GST_CORE_ERROR_MISSING_PLUGIN:
            case GST_CORE_ERROR_PAD:
            case GST_CORE_ERROR_NOT_IMPLEMENTED:
                return RenderResult::Format;  // cannot connect or render
            default:
                return RenderResult::Other;
        }
    }
    return RenderResult::Other;
}

bool applyRenderResult(RenderResult result) {
    switch (result) {
        case RenderResult::Ok:
            setError(NERLA_OK);
            return true;
        case RenderResult::OutOfMemory:
            setError(NERLA_ERROR_MEMORY);
            return false;
        case RenderResult::Format:
        case RenderResult::Stalled:
            setError(NERLA_ERROR_FORMAT);
            return false;
        case RenderResult::Other:
            return false;
    }
    return false;
}

}  // namespace nerla
