#include "frame/filter_class.h"

namespace nerla {
namespace {

constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154);
constexpr int32_t kUnexpected = static_cast<int32_t>(0x8000FFFF);

}  // namespace

GstPtr<GstElementFactory> ContainerClass::factory(int32_t& error) const {
    GstElementFactory* factory = nullptr;
    error = classObject_(&clsid(), &factory);
    GstPtr<GstElementFactory> owned(factory);
    if (error < 0) {
        return nullptr;
    }
    if (!owned || !GST_IS_ELEMENT_FACTORY(owned.get())) {
        error = kUnexpected;
        return nullptr;
    }
    return owned;
}

GstPtr<GstElementFactory> GstFactoryClass::factory(int32_t& error) const {
    GstPtr<GstElementFactory> found(gst_element_factory_find(factoryName_.c_str()));
    error = found ? 0 : kClassNotRegistered;
    return found;
}

}  // namespace nerla
