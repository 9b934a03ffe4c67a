// The choice of SDL renderer for a graphics device, and the detection of an
// OpenGL that only rasterises on the CPU.

#include "platform/sdl/renderer_choice.h"

#include <dirent.h>

#include <cstdlib>
#include <cstring>

#include "platform/faults.h"

namespace {

// Which renderer kinds are refused, as if the machine lacked them.
enum Refusal : unsigned {
    RefuseNone = 0,
    RefuseAccelerated = 1,  // D3DDEVTYPE_HAL fails, in both vertex-processing kinds
    RefuseSoftware = 2,     // D3DDEVTYPE_REF fails
};

bool software_gl_allowed() {
    const char* v = std::getenv("POKOMARU_ALLOW_SOFTWARE_GL");
    return v && *v && std::strcmp(v, "0") != 0;
}

unsigned current_refusal() {
    unsigned refusal = RefuseNone;
    if (const char* v = std::getenv("POKOMARU_REFUSE_RENDERERS")) {
        if (std::strcmp(v, "accelerated") == 0) refusal |= RefuseAccelerated;
        if (std::strcmp(v, "all") == 0) refusal |= RefuseAccelerated | RefuseSoftware;
    }
    if (fault_injected(Fault::HardwareDevice)) refusal |= RefuseAccelerated;
    if (fault_injected(Fault::AnyDevice)) refusal |= RefuseAccelerated | RefuseSoftware;
    return refusal;
}

// Whether a GL renderer string names a software rasteriser.
bool names_software_rasteriser(const char* renderer) {
    if (!renderer) return false;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

// Whether an accelerated SDL renderer just made draws through a software
// rasteriser after all: its GL context is current, so the renderer string
// can be asked without making anything else.
bool renders_in_software(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    using GetString = const unsigned char* (*)(unsigned);
    constexpr unsigned gl_renderer = 0x1F01;  // GL_RENDERER
    auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    return get_string && names_software_rasteriser(reinterpret_cast<const char*>(get_string(gl_renderer)));
}

// Makes an accelerated renderer, refusing one that is OpenGL on a software
// rasteriser: SDL's own software renderer is faster and leaves the whole GL
// stack unmapped.
SDL_Renderer* accelerated_renderer(SDL_Window* window, int index) {
    if (!software_gl_allowed() && only_software_gl_here()) {
        SDL_SetError("the only OpenGL here is a software rasteriser");
        return nullptr;
    }
    SDL_Renderer* r = SDL_CreateRenderer(window, index, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
    if (r && !software_gl_allowed() && renders_in_software(r)) {
        SDL_DestroyRenderer(r);
        SDL_SetError("the accelerated renderer draws in software");
        return nullptr;
    }
    return r;
}

}  // namespace

SDL_Renderer* make_sdl_renderer(SDL_Window* window, HostRenderer kind) {
    const unsigned refusal = current_refusal();
    if (kind != HostRenderer::Software) {
        if (refusal & RefuseAccelerated) {
            SDL_SetError("accelerated renderer refused");
            return nullptr;
        }
        if (kind == HostRenderer::Accelerated) return accelerated_renderer(window, -1);
        // Any accelerated driver, one by one.
        for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
            SDL_RendererInfo info{};
            if (SDL_GetRenderDriverInfo(i, &info) != 0 || !(info.flags & SDL_RENDERER_ACCELERATED)) continue;
            if (SDL_Renderer* r = accelerated_renderer(window, i)) return r;
        }
        return nullptr;
    }
    if (refusal & RefuseSoftware) {
        SDL_SetError("software renderer refused");
        return nullptr;
    }
    // Without this SDL backs the software renderer's window with an OpenGL
    // texture, mapping the whole GL stack for one copy a frame.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
}


bool only_software_gl_here() {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v && std::strcmp(v, "0") != 0 && std::strcmp(v, "false") != 0;
    };
    if (set("LIBGL_ALWAYS_SOFTWARE")) return true;
    if (const char* driver = std::getenv("GALLIUM_DRIVER"); names_software_rasteriser(driver)) return true;
    // A GPU's driver gives it a render node; without one Mesa can only
    // rasterise on the CPU.
    bool render_node = false;
    if (DIR* dri = opendir("/dev/dri")) {
        while (const dirent* entry = readdir(dri))
            if (std::strncmp(entry->d_name, "renderD", 7) == 0) render_node = true;
        closedir(dri);
    }
    return !render_node;
}
