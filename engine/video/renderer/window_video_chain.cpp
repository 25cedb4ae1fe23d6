#include "video/renderer/window_video_chain.h"

#include <gst/video/videooverlay.h>

#include <utility>

#include "frame/library.h"
#include "frame/log.h"
#include "graph/direct_show.h"
#include "video/renderer/frame_grab.h"
#include "video/renderer/pad_video_info.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

GstElement* addElement(GstBin* bin, const char* factory) {
    GstElement* element = gst_element_factory_make(factory, nullptr);
    if (element && !gst_bin_add(bin, element)) {
        return nullptr;
    }
    return element;  // owned by the bin
}

bool linkToPad(GstElement* element, GstPad* target) {
    GstPtr<GstPad> out(gst_element_get_static_pad(element, "src"));
    return out && target && gst_pad_link(out.get(), target) == GST_PAD_LINK_OK;
}

}  // namespace

GstElement* WindowVideoChain::build(WindowSink sink, bool balance) {
    GstPtr<GstElement> bin(GST_ELEMENT(gst_object_ref_sink(gst_bin_new(nullptr))));
    GstBin* asBin = GST_BIN(bin.get());
    GstElement* convertIn = addElement(asBin, "videoconvert");
    GstElement* picture = balance ? addElement(asBin, "videobalance") : nullptr;
    GstElement* convertOut = addElement(asBin, "videoconvert");
    if (!convertIn || !convertOut || (balance && !picture) ||
        !mixer_.build(asBin, Library::instance().mixerStreamCount()) ||
        !gst_bin_add(asBin, sink.element.get())) {
        GST_WARNING("cannot build the renderer's elements");
        return nullptr;
    }
    GstElement* beforeMixer = picture ? picture : convertIn;
    if ((picture && !gst_element_link(convertIn, picture)) ||
        !linkToPad(beforeMixer, mixer_.videoInput()) ||
        !gst_element_link_many(mixer_.output(), convertOut, sink.element.get(), nullptr)) {
        GST_WARNING("cannot link the renderer's elements");
        return nullptr;
    }
    GstPtr<GstPad> target(gst_element_get_static_pad(convertIn, "sink"));
    GstPad* ghost = gst_ghost_pad_new("sink", target.get());
    if (!ghost || !gst_element_add_pad(bin.get(), ghost)) {
        return nullptr;
    }
    input_ = refGst(ghost);
    sink_ = std::move(sink.element);
    colors_.attach(balance ? picture : sink_.get());
    return bin.release();
}

bool WindowVideoChain::attach(IDirectShow& channel, GstPad* upstream, WindowSinkKind kind,
                              bool pictureControls) {
    destroy();
    WindowSink sink = makeWindowSink(kind);
    if (!sink.element) {
        return false;
    }
    const bool balance = pictureControls && !sink.colorBalance;
    GstElement* bin = build(std::move(sink), balance);
    if (!bin || !branch_.attach(channel.GetGraph(), bin, upstream)) {
        if (!bin) {
            mixer_.release();
        }
        destroy();
        return false;
    }
    return true;
}

void WindowVideoChain::destroy() {
    branch_.detach();
    mixer_.release();
    colors_.reset();
    input_.reset();
    sink_.reset();
}

bool WindowVideoChain::videoInfo(NerlaChannelInfo& info) const {
    return videoInfoFromPad(input_.get(), info);
}

bool WindowVideoChain::bind(NerlaWindow window, const NerlaRect* area) {
    if (!sink_ || !GST_IS_VIDEO_OVERLAY(sink_.get())) {
        return false;
    }
    GstVideoOverlay* overlay = GST_VIDEO_OVERLAY(sink_.get());
    if (window) {
        gst_video_overlay_set_window_handle(overlay, window);
    }
    if (area && area->right > 0 && area->bottom > 0) {
        gst_video_overlay_set_render_rectangle(overlay, area->left, area->top, area->right,
                                               area->bottom);
    } else if (!area) {
        gst_video_overlay_set_render_rectangle(overlay, 0, 0, -1, -1);
    }
    gst_video_overlay_expose(overlay);
    return true;
}

bool WindowVideoChain::expose() {
    if (!sink_ || !GST_IS_VIDEO_OVERLAY(sink_.get())) {
        return false;
    }
    gst_video_overlay_expose(GST_VIDEO_OVERLAY(sink_.get()));
    return true;
}

NerlaBitmap* WindowVideoChain::grab() const {
    return sink_ ? grabFrame(sink_.get()) : nullptr;
}

}  // namespace nerla
