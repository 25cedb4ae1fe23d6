#include "video/gl/gl_device.h"

namespace nerla {

std::shared_ptr<GlDevice> GlDevice::create(std::shared_ptr<EglContext> drawing) {
    if (!drawing) {
        return nullptr;
    }
    auto side = EglContext::createHeadless(drawing->sharedDisplay(), drawing.get());
    if (!side) {
        return nullptr;
    }
    return std::shared_ptr<GlDevice>(new GlDevice(std::move(drawing), std::move(side)));
}

std::shared_ptr<GlDevice> GlDevice::createHeadless() {
    return create(EglContext::createHeadless(EglDisplay::openHeadless()));
}

}  // namespace nerla
