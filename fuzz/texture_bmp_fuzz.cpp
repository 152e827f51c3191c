// The overlay-picture reader (8-, 24- and 32-bit BMPs scaled to a power of
// two) uploads into a real software GL context.
#include <GL/gl.h>

#include <cstdint>

#include "scene/Textures.h"
#include "support/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Check(fuzz::MakeGlCurrent(), "a software GL context");
    GLuint texture = 0;
    CreateBitmapTexture(BmpBytes(data, size), &texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    auto powerOfTwo = [](GLint v) { return v == 0 || (v >= 2 && v <= 512 && (v & (v - 1)) == 0); };
    fuzz::Check(powerOfTwo(width) && powerOfTwo(height), "uploads are powers of two up to 512");
    glDeleteTextures(1, &texture);
    fuzz::Check(glGetError() == GL_NO_ERROR, "no GL error");
    return 0;
}
