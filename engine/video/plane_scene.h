// The stereoscopic scene: the view state of one renderer and the one program
// that draws each frame as a single textured quad.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "frame/stream_flags.h"
#include "video/frame_planes.h"
#include "video/frame_sampling.h"
#include "video/gl/gl_device.h"
#include "video/gl/gl_object.h"
#include "video/view_programs.h"

namespace nerla {

class CPlaneScene {
  public:
    // Clip-space position, ARGB diffuse colour (unused by the programs) and
    // texture coordinate; (0, 0) is the top-left corner of the frame.
    struct Vertex {
        float x, y, z;
        uint32_t diffuse;
        float tu, tv;
    };
    static_assert(sizeof(Vertex) == 24);

    enum class Status {
        Ok,
        NullArgument,    // no device, or no frame to draw
        NoVertexBuffer,  // not set up, or setting up failed
        WrongDevice,     // not the device the scene was set up with
        NotCurrent,      // the device is not current on the drawing thread
    };

    static constexpr int kSwapOn = 666;
    static constexpr int kSwapOff = 667;
    static constexpr int kEyeFactorBase = 9000;

    explicit CPlaneScene(const ViewProgramTable& programs = storedViewPrograms());
    ~CPlaneScene();
    CPlaneScene(const CPlaneScene&) = delete;
    CPlaneScene& operator=(const CPlaneScene&) = delete;

    // Binds the scene to the presenter's device (from any thread): creates
    // the scene's objects in the device's share group, then applies view
    // value 0 for frames of `format`. Called again after the device was
    // recreated or the frames changed; the swap flag, eye factor and layout
    // keep their values. Only a null device fails: a vertex buffer that could
    // not be made fails every later draw instead.
    Status Setup(std::shared_ptr<GlDevice> device, FrameFormat format = FrameFormat::I420);

    // 0..12 view mode, 666 swap on, 667 swap off, 9000 and above eye factor
    // value / 10000 (0.5..1.5) applied to the current mode. Rebuilds the
    // program every time; other values are ignored. A compile failure is
    // shown through the message hook and leaves frames black.
    void SelectView(int value);

    void SetTexExtent(float u, float v);
    // From the stream-creation flags; no pattern means side by side.
    void SetSourceLayout(SourceLayout layout);
    void SetColorControls(const ColorControls& controls);

    // Draws `frame` into the framebuffer and viewport bound on `device`, which
    // must be current on this thread. The caller presents. A frame with other
    // planes than the last builds the view's program for them once.
    Status DrawFrame(const GlDevice* device, const FramePlanes* frame);

    int viewMode() const;
    bool swapped() const;
    float eyeFactor() const;
    int sourceLayout() const;
    std::array<float, 2> texExtent() const;
    bool hasProgram() const;

  private:
    // The view's program, built for one way of reading the frame planes.
    struct ViewProgram {
        GlProgram program;
        FrameSamplingUniforms sampling;
        GLint stripes = -1;
        SamplingKind kind = SamplingKind::SemiPlanar;
    };
    // Objects in the device's share group.
    struct GpuObjects {
        GlBuffer vertexBuffer;
        GlSampler sampler;
        ViewProgram view;
    };

    void createObjectsLocked();
    // Rebuilds the program and the extents; returns the compiler's text on failure.
    std::optional<std::string> applyViewLocked();
    // Builds the current view for `kind` on the current context; the
    // compiler's text on failure.
    std::optional<std::string> buildProgramLocked(SamplingKind kind);
    void setExtentLocked(float u, float v);
    void releaseGpuLocked();

    const ViewProgramTable& programs_;
    mutable std::mutex lock_;
    bool swap_ = false;
    std::shared_ptr<GlDevice> device_;
    int layout_ = 1;
    int mode_ = 0;
    float eyeFactor_ = 1.0f;
    std::array<Vertex, 4> quad_;
    ColorControls colorControls_;
    // The planes of the frames drawn last (or announced by Setup).
    SamplingKind kind_ = SamplingKind::SemiPlanar;
    // The current view does not compile: frames stay black without new
    // attempts until the next view value.
    bool viewFailed_ = false;
    GpuObjects gpu_;
};

}  // namespace nerla
