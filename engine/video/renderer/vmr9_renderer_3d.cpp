#include "video/renderer/vmr9_renderer_3d.h"

#include "frame/log.h"
#include "frame/stream_flags.h"
#include "graph/direct_show.h"
#include "video/presenter/allocator.h"
#include "video/presenter/video_sink.h"
#include "video/renderer/pad_video_info.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

// The picture controls, with the ranges of a video mixer's processing
// amplifier: brightness -100..100 (default 0, step 1) in 8-bit luma steps,
// contrast 0..10 (1, 0.01) as a luma gain, hue -180..180 (0, 1) in degrees,
// saturation 0..10 (1, 0.01) as a chroma gain.
struct ControlRange {
    int32_t control;
    float minimum, maximum, defaultValue, step;
    float ColorControls::*field;
};
constexpr ControlRange kControls[] = {
    {1, -100.0f, 100.0f, 0.0f, 1.0f, &ColorControls::brightness},
    {2, 0.0f, 10.0f, 1.0f, 0.01f, &ColorControls::contrast},
    {4, -180.0f, 180.0f, 0.0f, 1.0f, &ColorControls::hue},
    {8, 0.0f, 10.0f, 1.0f, 0.01f, &ColorControls::saturation},
};

const ControlRange* controlRange(int32_t control) {
    for (const ControlRange& range : kControls) {
        if (range.control == control) {
            return &range;
        }
    }
    return nullptr;
}

}  // namespace

IVMR9Renderer3D::~IVMR9Renderer3D() {
    Destroy();
}

// Decoded video reached the renderer: it follows the pipeline from now on.
static void onLinked(GstPad* /*pad*/, GstPad* /*peer*/, gpointer bin) {
    gst_element_set_locked_state(GST_ELEMENT(bin), FALSE);
    gst_element_sync_state_with_parent(GST_ELEMENT(bin));
}

bool IVMR9Renderer3D::AttachToGraph(IDirectShow& channel, GstPad* upstream) {
    GstPipeline* pipeline = channel.GetGraph();
    if (!pipeline || branch_.element()) {
        return false;
    }
    presenter_ = CAllocator::create();
    if (!presenter_) {
        return false;
    }
    // Decoders that deliver other formats get a conversion; the usual ones
    // pass through it untouched.
    GstElement* bin = gst_bin_new(kVideoSinkName);
    GstElement* convert = gst_element_factory_make("videoconvert", "Nerla Video Convert");
    GstElement* sink = makeVideoSink(presenter_, "Nerla Presenter");
    if (!bin || !convert || !sink) {
        for (GstElement* element : {bin, convert, sink}) {
            if (element) {
                gst_object_unref(gst_object_ref_sink(element));
            }
        }
        presenter_.reset();
        return false;
    }
    gst_bin_add_many(GST_BIN(bin), convert, sink, nullptr);
    gst_element_link(convert, sink);
    GstPtr<GstPad> convertPad(gst_element_get_static_pad(convert, "sink"));
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", convertPad.get()));
    sink_.reset(GST_ELEMENT(gst_object_ref(sink)));
    // Waits in locked state until decoded video is linked, so that a medium
    // without video still prerolls.
    if (!branch_.attach(pipeline, bin)) {
        Destroy();
        return false;
    }
    linkedHandler_ = g_signal_connect(branch_.sinkPad(), "linked", G_CALLBACK(&onLinked), bin);
    if (upstream && gst_pad_link(upstream, branch_.sinkPad()) != GST_PAD_LINK_OK) {
        GST_WARNING("stereoscopic renderer cannot be linked to %s:%s",
                    GST_DEBUG_PAD_NAME(upstream));
    }
    presenter_->SetSourceLayout(sourceLayout(flags_));
    GST_DEBUG("stereoscopic renderer attached, layout %d", static_cast<int>(sourceLayout(flags_)));
    return true;
}

bool IVMR9Renderer3D::VerifyConnection(IDirectShow& /*channel*/) {
    return branch_.sinkLinked();
}

void IVMR9Renderer3D::Destroy() {
    if (presenter_) {
        presenter_->setExposeHandler({});
    }
    if (linkedHandler_ && branch_.sinkPad()) {
        g_signal_handler_disconnect(branch_.sinkPad(), linkedHandler_);
    }
    linkedHandler_ = 0;
    branch_.detach();
    sink_.reset();
    presenter_.reset();
}

bool IVMR9Renderer3D::QueryVideoInfo(NerlaChannelInfo& info) {
    return presenter_ && videoInfoFromPad(branch_.sinkPad(), info);
}

int32_t IVMR9Renderer3D::BindWindow(NerlaWindow window, const NerlaRect* rect) {
    if (!presenter_) {
        return 1;
    }
    if (window) {
        presenter_->SetVideoClippingWindow(window);
    }
    if (rect) {
        presenter_->SetDevicePosition(*rect);
    }
    return 0;
}

int32_t IVMR9Renderer3D::RepaintFrame(NerlaWindow /*window*/, uintptr_t /*deviceContext*/) {
    return presenter_ ? presenter_->RepaintVideo() : 0;
}

int32_t IVMR9Renderer3D::SetStreamAlpha(int32_t stream, float percent) {
    if (stream < 0 || stream >= kStreams || !(percent >= 0.0f && percent <= 100.0f)) {
        return 0;
    }
    alpha_[stream] = percent;
    if (stream == 0 && presenter_) {
        presenter_->SetStreamAlpha(percent / 100.0f);
    }
    return 1;
}

float IVMR9Renderer3D::GetStreamAlpha(int32_t stream) {
    return stream >= 0 && stream < kStreams ? alpha_[stream] : 0.0f;
}

int32_t IVMR9Renderer3D::SetOverlay(const NerlaOverlayBitmap* overlay) {
    return presenter_ && overlay && presenter_->SetOverlay(*overlay) ? 1 : 0;
}

int32_t IVMR9Renderer3D::SetStreamRect(int32_t stream, const NerlaRect& rect) {
    NerlaChannelInfo info{};
    if (!presenter_ || stream < 0 || stream >= kStreams || !QueryVideoInfo(info) ||
        info.videoWidth <= 0 || info.videoHeight <= 0) {
        return 0;
    }
    // Whole percentages of the video size, as fractions.
    auto fraction = [](int32_t coordinate, int32_t size) {
        return static_cast<float>(coordinate * 100 / size) / 100.0f;
    };
    const std::array<float, 4> normalised = {
        fraction(rect.left, info.videoWidth), fraction(rect.top, info.videoHeight),
        fraction(rect.right, info.videoWidth), fraction(rect.bottom, info.videoHeight)};
    if (!(normalised[2] > normalised[0]) || !(normalised[3] > normalised[1])) {
        return 0;
    }
    if (stream == 0) {
        presenter_->SetOutputRect(normalised);
    }
    return 1;
}

int32_t IVMR9Renderer3D::GetColorControlRange(NerlaColorRange& range) {
    const ControlRange* known = controlRange(range.control);
    if (!presenter_ || !known) {
        return 0;
    }
    range.minimum = known->minimum;
    range.maximum = known->maximum;
    range.defaultValue = known->defaultValue;
    range.step = known->step;
    return 1;
}

int32_t IVMR9Renderer3D::SetColorControl(int32_t control, float value) {
    if (!presenter_) {
        return 0;
    }
    const ControlRange* known = controlRange(control);
    if (!known) {
        return 1;  // no control flagged: nothing changes
    }
    if (!(value >= known->minimum && value <= known->maximum)) {
        return 0;
    }
    ColorControls controls = presenter_->colorControls();
    controls.*(known->field) = value;
    presenter_->SetColorControls(controls);
    return 1;
}

int32_t IVMR9Renderer3D::SetViewValue(int32_t value) {
    if (!presenter_) {
        return 0;
    }
    presenter_->SelectView(value);
    return 1;
}

}  // namespace nerla
