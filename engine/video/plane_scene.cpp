#include "video/plane_scene.h"

#include <algorithm>
#include <cstddef>

#include "frame/log.h"
#include "frame/message_hook.h"
#include "video/program_builder.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

// The compiler's text is shown without a caption.
constexpr std::string_view kCompileCaption = "";
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr GLuint kPositionLocation = 0;
constexpr GLuint kTexcoordLocation = 1;

}  // namespace

CPlaneScene::CPlaneScene(const ViewProgramTable& programs)
    : programs_(programs),
      quad_{{{-1.0f, 1.0f, 0.0f, kWhite, 0.0f, 0.0f},
             {-1.0f, -1.0f, 0.0f, kWhite, 0.0f, 1.0f},
             {1.0f, 1.0f, 0.0f, kWhite, 1.0f, 0.0f},
             {1.0f, -1.0f, 0.0f, kWhite, 1.0f, 1.0f}}} {}

CPlaneScene::~CPlaneScene() {
    std::lock_guard lock(lock_);
    releaseGpuLocked();
}

void CPlaneScene::releaseGpuLocked() {
    if (!device_) {
        return;
    }
    GlDevice::SideScope side(*device_);
    if (side.ok()) {
        gpu_ = GpuObjects();
    } else {
        GST_WARNING("scene objects left to their device");
        gpu_.vertexBuffer.release();
        gpu_.sampler.release();
        gpu_.view.program.release();
    }
    device_.reset();
}

CPlaneScene::Status CPlaneScene::Setup(std::shared_ptr<GlDevice> device, FrameFormat format) {
    if (!device) {
        return Status::NullArgument;
    }
    std::optional<std::string> failure;
    {
        std::lock_guard lock(lock_);
        releaseGpuLocked();
        device_ = std::move(device);
        kind_ = samplingKind(format);
        createObjectsLocked();
        if (!gpu_.vertexBuffer) {
            GST_WARNING("scene vertex buffer not created; frames will not draw");
        }
        mode_ = 0;
        failure = applyViewLocked();
    }
    if (failure) {
        showMessage(kCompileCaption, *failure);
    }
    return Status::Ok;
}

void CPlaneScene::SelectView(int value) {
    std::optional<std::string> failure;
    {
        std::lock_guard lock(lock_);
        if (value >= kEyeFactorBase) {
            const float factor = static_cast<float>(value / 10000.0);
            eyeFactor_ = std::clamp(factor, 0.5f, 1.5f);
            value = mode_;
        }
        if (value == kSwapOn) {
            swap_ = true;
        } else if (value == kSwapOff) {
            swap_ = false;
        } else if (value >= 0 && value < kViewModeCount) {
            mode_ = value;
        } else {
            GST_DEBUG("view value %d ignored", value);
            return;
        }
        failure = applyViewLocked();
    }
    // Outside the lock: the host's message box may wait for the user while
    // frames go on drawing (black).
    if (failure) {
        showMessage(kCompileCaption, *failure);
    }
}

void CPlaneScene::createObjectsLocked() {
    GlDevice::SideScope side(*device_);
    if (!side.ok()) {
        return;
    }
    gpu_.vertexBuffer = GlBuffer::create();
    glBindBuffer(GL_ARRAY_BUFFER, gpu_.vertexBuffer.get());
    glBufferData(GL_ARRAY_BUFFER, sizeof quad_, nullptr, GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (glGetError() != GL_NO_ERROR) {
        gpu_.vertexBuffer.reset();
    }
    gpu_.sampler = GlSampler::create();
    glSamplerParameteri(gpu_.sampler.get(), GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(gpu_.sampler.get(), GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(gpu_.sampler.get(), GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(gpu_.sampler.get(), GL_TEXTURE_WRAP_T, GL_REPEAT);
}

std::optional<std::string> CPlaneScene::applyViewLocked() {
    std::optional<std::string> failure;
    viewFailed_ = false;
    if (device_) {
        GlDevice::SideScope side(*device_);
        if (side.ok()) {
            failure = buildProgramLocked(kind_);
            // The drawing context sees the finished program.
            glFinish();
        } else {
            GST_WARNING("device context not available; view mode %d left to the next draw", mode_);
            gpu_.view.program.release();
        }
    }
    float u = 1.0f;
    float v = 1.0f;
    if (layout_ == 2 && mode_ == 6) {
        u = 2.0f;
        v = 0.5f;
    } else if (layout_ == 3 && mode_ == 6) {
        u = 2.0f;
    } else if (layout_ == 3 && mode_ == 7) {
        v = 2.0f;
    }
    setExtentLocked(u, v);
    return failure;
}

std::optional<std::string> CPlaneScene::buildProgramLocked(SamplingKind kind) {
    gpu_.view.program.reset();
    const char* text = programs_.text(swap_, layout_, mode_);
    if (!text) {
        viewFailed_ = true;
        return "no program for view mode " + std::to_string(mode_);
    }
    const std::string source =
        usesEyeFactor(mode_) ? patchEyeFactor(text, eyeFactor_) : std::string(text);
    BuiltProgram built = buildProgram({quadVertexSource()}, {frameSamplingSource(kind), source});
    if (!built.program) {
        GST_WARNING("view mode %d does not compile: %s", mode_, built.log.c_str());
        viewFailed_ = true;
        return std::move(built.log);
    }
    gpu_.view.sampling.locate(built.program.get());
    gpu_.view.stripes = glGetUniformLocation(built.program.get(), "stripes");
    gpu_.view.kind = kind;
    gpu_.view.program = std::move(built.program);
    GST_DEBUG("view mode %d, layout %d, swap %d, eye factor %f, planes %d", mode_, layout_, swap_,
              eyeFactor_, static_cast<int>(kind));
    return std::nullopt;
}

void CPlaneScene::setExtentLocked(float u, float v) {
    quad_[0].tu = 0.0f;
    quad_[0].tv = 0.0f;
    quad_[1].tu = 0.0f;
    quad_[1].tv = v;
    quad_[2].tu = u;
    quad_[2].tv = 0.0f;
    quad_[3].tu = u;
    quad_[3].tv = v;
}

void CPlaneScene::SetTexExtent(float u, float v) {
    std::lock_guard lock(lock_);
    setExtentLocked(u, v);
}

void CPlaneScene::SetSourceLayout(SourceLayout layout) {
    std::lock_guard lock(lock_);
    layout_ = layout == SourceLayout::None ? 1 : static_cast<int>(layout);
}

void CPlaneScene::SetColorControls(const ColorControls& controls) {
    std::lock_guard lock(lock_);
    colorControls_ = controls;
}

CPlaneScene::Status CPlaneScene::DrawFrame(const GlDevice* device, const FramePlanes* frame) {
    if (!device || !frame || frame->empty()) {
        return Status::NullArgument;
    }
    std::unique_lock lock(lock_);
    if (!gpu_.vertexBuffer) {
        return Status::NoVertexBuffer;
    }
    if (device != device_.get()) {
        return Status::WrongDevice;
    }
    if (!device->isCurrent()) {
        return Status::NotCurrent;
    }
    // A frame whose planes the program was not built for: built once here, in
    // the drawing context, and kept until the next view value.
    kind_ = samplingKind(frame->format());
    std::optional<std::string> failure;
    if (!viewFailed_ && (!gpu_.view.program || gpu_.view.kind != kind_)) {
        failure = buildProgramLocked(kind_);
    }

    glBindBuffer(GL_ARRAY_BUFFER, gpu_.vertexBuffer.get());
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof quad_, quad_.data());

    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_DITHER);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    const ViewProgram& view = gpu_.view;
    if (view.program) {
        const int planes = frame->textures();
        for (int i = 0; i < planes; ++i) {
            glActiveTexture(GL_TEXTURE0 + i);
            glBindTexture(GL_TEXTURE_2D, frame->texture(i));
            glBindSampler(i, gpu_.sampler.get());
        }
        glUseProgram(view.program.get());
        view.sampling.apply(*frame, colorControls_);
        if (view.stripes >= 0) {
            GLint viewport[4] = {};
            glGetIntegerv(GL_VIEWPORT, viewport);
            glUniform1f(view.stripes, static_cast<float>(viewport[3]) / 2.0f);
        }
        glEnableVertexAttribArray(kPositionLocation);
        glEnableVertexAttribArray(kTexcoordLocation);
        glVertexAttribPointer(kPositionLocation, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(offsetof(Vertex, x)));
        glVertexAttribPointer(kTexcoordLocation, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(offsetof(Vertex, tu)));
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

        glDisableVertexAttribArray(kPositionLocation);
        glDisableVertexAttribArray(kTexcoordLocation);
        glUseProgram(0);
        for (int i = planes - 1; i >= 0; --i) {
            glActiveTexture(GL_TEXTURE0 + i);
            glBindTexture(GL_TEXTURE_2D, 0);
            glBindSampler(i, 0);
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    lock.unlock();
    if (failure) {
        showMessage(kCompileCaption, *failure);
    }
    return Status::Ok;
}

int CPlaneScene::viewMode() const {
    std::lock_guard lock(lock_);
    return mode_;
}

bool CPlaneScene::swapped() const {
    std::lock_guard lock(lock_);
    return swap_;
}

float CPlaneScene::eyeFactor() const {
    std::lock_guard lock(lock_);
    return eyeFactor_;
}

int CPlaneScene::sourceLayout() const {
    std::lock_guard lock(lock_);
    return layout_;
}

std::array<float, 2> CPlaneScene::texExtent() const {
    std::lock_guard lock(lock_);
    return {quad_[3].tu, quad_[3].tv};
}

bool CPlaneScene::hasProgram() const {
    std::lock_guard lock(lock_);
    return static_cast<bool>(gpu_.view.program);
}

}  // namespace nerla
