#include "support/FuzzSupport.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fuzz {

namespace {

struct Scratch {
    std::string path;
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tidemere-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) Fail("cannot make a scratch folder");
        path = pattern + "/";
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

const std::string& ScratchFolder() {
    static Scratch scratch;
    return scratch.path;
}

std::string WriteScratch(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = ScratchFolder() + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("cannot write a scratch file");
    if (size && std::fwrite(data, 1, size, f) != size) Fail("short write to a scratch file");
    std::fclose(f);
    return path;
}

bool MakeGlCurrent() {
    static const bool ok = [] {
        auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getDisplay) return false;
        EGLDisplay display = getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
        if (!eglBindAPI(EGL_OPENGL_API)) return false;
        const EGLint want[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLConfig config = nullptr;
        EGLint count = 0;
        eglChooseConfig(display, want, &config, 1, &count);
        EGLContext context = eglCreateContext(display, count ? config : EGL_NO_CONFIG_KHR,
                                              EGL_NO_CONTEXT, nullptr);
        return context != EGL_NO_CONTEXT &&
               eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
    }();
    return ok;
}

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

}  // namespace fuzz
