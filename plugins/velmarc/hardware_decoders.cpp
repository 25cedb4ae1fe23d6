#include "velmarc/hardware_decoders.h"

#include <algorithm>
#include <string_view>

#include "common/gst_ptr.h"
#include "velmarc/log.h"

#define GST_CAT_DEFAULT velmarc_debug

namespace velmarc {
namespace {

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string klassOf(GstElementFactory* factory) {
    const gchar* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
    return klass ? klass : "";
}

bool isDecoder(const std::string& klass) {
    return klass.find("Decoder") != std::string::npos;
}

// Comes up to READY and goes back: the device behind it is there.
bool opens(GstElementFactory* factory) {
    GstElement* made = gst_element_factory_create(factory, nullptr);
    if (!made) {
        return false;
    }
    const plugin::GstPtr<GstElement> element(GST_ELEMENT(gst_object_ref_sink(made)));
    const bool ready =
        gst_element_set_state(element.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(element.get(), GST_STATE_NULL);
    return ready;
}

// The registry's decoder factories, whatever their rank.
class DecoderList {
  public:
    DecoderList()
        : list_(gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER,
                                                      GST_RANK_NONE)) {}
    ~DecoderList() { gst_plugin_feature_list_free(list_); }
    DecoderList(const DecoderList&) = delete;
    DecoderList& operator=(const DecoderList&) = delete;

    template <typename F>
    void forEach(F&& visit) const {
        for (GList* l = list_; l; l = l->next) {
            visit(GST_ELEMENT_FACTORY(l->data));
        }
    }

  private:
    GList* list_;
};

}  // namespace

bool inFamily(DecoderFamily family, const std::string& name, const std::string& klass) {
    if (!isDecoder(klass) || !endsWith(name, "dec")) {
        return false;
    }
    const std::string_view text(name);
    switch (family) {
        case DecoderFamily::Cuda:
            return text.starts_with("nv");
        case DecoderFamily::VaApi:
            return text.starts_with("va");  // va* and vaapi*
        case DecoderFamily::QuickSync:
            return text.starts_with("qsv") || text.starts_with("msdk");
        case DecoderFamily::Software:
            break;
    }
    return false;
}

HardwareDecoders& HardwareDecoders::instance() {
    static HardwareDecoders decoders;
    return decoders;
}

std::vector<HardwareDecoders::Factory> HardwareDecoders::openable(DecoderFamily family) {
    std::vector<Factory> found;
    DecoderList().forEach([&](GstElementFactory* factory) {
        if (inFamily(family, GST_OBJECT_NAME(factory), klassOf(factory))) {
            found.push_back(plugin::refGst(factory));
        }
    });
    // H.264 first: it is what most media need, so a check can stop there
    std::stable_partition(found.begin(), found.end(), [](const Factory& factory) {
        return std::string_view(GST_OBJECT_NAME(factory.get())).find("h264") !=
               std::string_view::npos;
    });
    std::vector<Factory> usable;
    for (Factory& factory : found) {
        if (opens(factory.get())) {
            usable.push_back(std::move(factory));
        } else {
            GST_INFO("%s does not open here", GST_OBJECT_NAME(factory.get()));
        }
    }
    return usable;
}

bool HardwareDecoders::available(DecoderFamily family) {
    if (family == DecoderFamily::Software || !ensureGstreamer()) {
        return false;
    }
    std::lock_guard lock(mutex_);
    const auto usable = openable(family);
    GST_INFO("decoder family %d: %zu usable decoders", static_cast<int>(family), usable.size());
    return !usable.empty();
}

void HardwareDecoders::prefer(DecoderFamily family) {
    if (!ensureGstreamer()) {
        return;
    }
    std::lock_guard lock(mutex_);
    for (const auto& [factory, rank] : raised_) {
        gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(factory.get()), rank);
    }
    raised_.clear();
    if (family == DecoderFamily::Software) {
        GST_INFO("software decoders preferred");
        return;
    }
    auto usable = openable(family);
    // above every decoder that is not raised
    guint top = GST_RANK_PRIMARY;
    DecoderList().forEach([&](GstElementFactory* factory) {
        const bool raising = std::any_of(usable.begin(), usable.end(), [&](const Factory& raised) {
            return raised.get() == factory;
        });
        if (!raising) {
            top = std::max(top, gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)));
        }
    });
    for (Factory& factory : usable) {
        auto* feature = GST_PLUGIN_FEATURE(factory.get());
        const guint rank = gst_plugin_feature_get_rank(feature);
        gst_plugin_feature_set_rank(feature, top + 1);
        GST_INFO("%s preferred (rank %u)", GST_OBJECT_NAME(feature), top + 1);
        raised_.emplace_back(std::move(factory), rank);
    }
}

}  // namespace velmarc
