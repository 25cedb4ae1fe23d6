// Owning smart pointers for the GLib and GStreamer objects the plug-ins hold:
// the engine's own header-only ones (the plug-ins link no engine code).
#pragma once

#include "frame/gst_ptr.h"

namespace plugin {

using nerla::CapsPtr;
using nerla::EventPtr;
using nerla::GCharPtr;
using nerla::GstPtr;
using nerla::refGst;

}  // namespace plugin
