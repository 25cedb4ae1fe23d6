// Owning wrappers for GL object names. The object is deleted in whatever
// context is current when the wrapper dies, so owners destroy them with their
// context (or one of its share group) current.
#pragma once

#include <GLES3/gl3.h>

#include <utility>

namespace nerla {

template <typename Traits>
class GlObject {
  public:
    GlObject() = default;
    explicit GlObject(GLuint name) : name_(name) {}
    ~GlObject() { reset(); }
    GlObject(GlObject&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    GlObject& operator=(GlObject&& other) noexcept {
        if (this != &other) {
            reset();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }
    GlObject(const GlObject&) = delete;
    GlObject& operator=(const GlObject&) = delete;

    static GlObject create() { return GlObject(Traits::create()); }

    GLuint get() const { return name_; }
    explicit operator bool() const { return name_ != 0; }
    // Gives up ownership without deleting (the object's context is gone or
    // cannot be bound); returns the name.
    GLuint release() { return std::exchange(name_, 0); }
    void reset() {
        if (name_ != 0) {
            Traits::destroy(name_);
            name_ = 0;
        }
    }

  private:
    GLuint name_ = 0;
};

namespace gl_traits {

struct Texture {
    static GLuint create() {
        GLuint name = 0;
        glGenTextures(1, &name);
        return name;
    }
    static void destroy(GLuint name) { glDeleteTextures(1, &name); }
};

struct Buffer {
    static GLuint create() {
        GLuint name = 0;
        glGenBuffers(1, &name);
        return name;
    }
    static void destroy(GLuint name) { glDeleteBuffers(1, &name); }
};

struct Framebuffer {
    static GLuint create() {
        GLuint name = 0;
        glGenFramebuffers(1, &name);
        return name;
    }
    static void destroy(GLuint name) { glDeleteFramebuffers(1, &name); }
};

struct Renderbuffer {
    static GLuint create() {
        GLuint name = 0;
        glGenRenderbuffers(1, &name);
        return name;
    }
    static void destroy(GLuint name) { glDeleteRenderbuffers(1, &name); }
};

struct Sampler {
    static GLuint create() {
        GLuint name = 0;
        glGenSamplers(1, &name);
        return name;
    }
    static void destroy(GLuint name) { glDeleteSamplers(1, &name); }
};

struct Shader {
    static void destroy(GLuint name) { glDeleteShader(name); }
};

struct Program {
    static GLuint create() { return glCreateProgram(); }
    static void destroy(GLuint name) { glDeleteProgram(name); }
};

}  // namespace gl_traits

using GlTexture = GlObject<gl_traits::Texture>;
using GlBuffer = GlObject<gl_traits::Buffer>;
using GlFramebuffer = GlObject<gl_traits::Framebuffer>;
using GlRenderbuffer = GlObject<gl_traits::Renderbuffer>;
using GlSampler = GlObject<gl_traits::Sampler>;
using GlShader = GlObject<gl_traits::Shader>;
using GlProgram = GlObject<gl_traits::Program>;

}  // namespace nerla
