// Compiles and links one GL program from source texts.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "video/gl/gl_object.h"

namespace nerla {

struct BuiltProgram {
    GlProgram program;  // empty on failure
    std::string log;    // the compiler's or linker's text on failure
};

// Each stage's parts are concatenated in order. Needs a current context.
BuiltProgram buildProgram(std::initializer_list<std::string_view> vertexParts,
                          std::initializer_list<std::string_view> fragmentParts);

}  // namespace nerla
