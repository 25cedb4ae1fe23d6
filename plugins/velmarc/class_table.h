// The filter classes the plug-in offers the engine (query 4 of "NerlaPlugin"):
// each a fixed GUID, a name and the element factory the class-object
// function hands out.
#pragma once

#include "nerla_plugin.h"

namespace velmarc {

// The GUID of "Velmarc Audio Decoder": the name-based GUID of its factory
// name, as the engine computes it for any element factory.
inline constexpr NerlaGUID kAudioDecoderClass = {
    0xb5b84afa, 0x52d8, 0x50a0, {0xb5, 0x79, 0x35, 0x1a, 0x17, 0x30, 0x25, 0x4e}};

const NerlaClassTable* classTable();

}  // namespace velmarc
