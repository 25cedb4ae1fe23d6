// The hardware video decoder families of the GStreamer registry, and the
// preference for one of them: its decoders that open on this machine are
// ranked above every other decoder, so that decodebin3 picks them for the
// channels created afterwards.
#pragma once

#include <gst/gst.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "common/gst_ptr.h"

namespace velmarc {

enum class DecoderFamily { Software = 0, Cuda = 1, VaApi = 2, QuickSync = 3 };

// Whether the element factory `name` (of klass `klass`) belongs to `family`.
bool inFamily(DecoderFamily family, const std::string& name, const std::string& klass);

class HardwareDecoders {
  public:
    static HardwareDecoders& instance();

    // True when a decoder of `family` exists and comes up (READY) here.
    bool available(DecoderFamily family);

    // Prefers `family` from now on; Software gives every decoder its own rank back.
    void prefer(DecoderFamily family);

  private:
    using Factory = plugin::GstPtr<GstElementFactory>;

    // the decoder factories of the family that open, h264 ones first
    std::vector<Factory> openable(DecoderFamily family);

    std::mutex mutex_;
    // raised factories and the ranks they had
    std::vector<std::pair<Factory, guint>> raised_;
};

}  // namespace velmarc
