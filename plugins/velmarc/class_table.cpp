#include "velmarc/class_table.h"

#include <gst/gst.h>

#include <cstring>

#include "velmarc/audio_decoder_bin.h"

namespace velmarc {
namespace {

// HRESULTs of a class-object function
constexpr int32_t kOk = 0;
constexpr auto kPointer = static_cast<int32_t>(0x80004003);
constexpr auto kFail = static_cast<int32_t>(0x80004005);
constexpr auto kClassNotAvailable = static_cast<int32_t>(0x80040111);

int32_t NERLA_CALL classObject(const NerlaGUID* clsid, GstElementFactory** factory) {
    if (!clsid || !factory) {
        return kPointer;
    }
    *factory = nullptr;
    if (std::memcmp(clsid, &kAudioDecoderClass, sizeof(NerlaGUID)) != 0) {
        return kClassNotAvailable;
    }
    if (!registerAudioDecoder()) {
        return kFail;
    }
    *factory = gst_element_factory_find(kAudioDecoderFactory);
    return *factory ? kOk : kFail;
}

const NerlaClassEntry kEntries[] = {
    {kAudioDecoderClass, u"Velmarc Audio Decoder"},
};

const NerlaClassTable kTable = {classObject, kEntries, 1};

}  // namespace

const NerlaClassTable* classTable() {
    return &kTable;
}

}  // namespace velmarc
