#include "video/program_builder.h"

#include <vector>

namespace nerla {
namespace {

// glGetShaderiv/glGetShaderInfoLog or their program counterparts.
template <typename Query, typename Read>
std::string infoLog(GLuint object, Query query, Read read) {
    GLint length = 0;
    query(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        return {};
    }
    std::string log(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    read(object, length, &written, log.data());
    log.resize(static_cast<size_t>(written));
    return log;
}

GlShader compile(GLenum stage, std::initializer_list<std::string_view> parts, std::string& log) {
    GlShader shader(glCreateShader(stage));
    std::vector<const GLchar*> texts;
    std::vector<GLint> lengths;
    for (std::string_view part : parts) {
        texts.push_back(part.data());
        lengths.push_back(static_cast<GLint>(part.size()));
    }
    glShaderSource(shader.get(), static_cast<GLsizei>(texts.size()), texts.data(), lengths.data());
    glCompileShader(shader.get());
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader.get(), GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        log = infoLog(shader.get(), glGetShaderiv, glGetShaderInfoLog);
        if (log.empty()) {
            log = "shader compilation failed";
        }
        return GlShader();
    }
    return shader;
}

}  // namespace

BuiltProgram buildProgram(std::initializer_list<std::string_view> vertexParts,
                          std::initializer_list<std::string_view> fragmentParts) {
    BuiltProgram built;
    GlShader vertex = compile(GL_VERTEX_SHADER, vertexParts, built.log);
    if (!vertex) {
        return built;
    }
    GlShader fragment = compile(GL_FRAGMENT_SHADER, fragmentParts, built.log);
    if (!fragment) {
        return built;
    }
    GlProgram program = GlProgram::create();
    glAttachShader(program.get(), vertex.get());
    glAttachShader(program.get(), fragment.get());
    glLinkProgram(program.get());
    glDetachShader(program.get(), vertex.get());
    glDetachShader(program.get(), fragment.get());
    GLint linked = GL_FALSE;
    glGetProgramiv(program.get(), GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        built.log = infoLog(program.get(), glGetProgramiv, glGetProgramInfoLog);
        if (built.log.empty()) {
            built.log = "program link failed";
        }
        return built;
    }
    built.program = std::move(program);
    return built;
}

}  // namespace nerla
