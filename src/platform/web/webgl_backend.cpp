// WebGL under the sprite batch. Texels and vertex colours stay 0xAARRGGBB
// words as the batch hands them over; in memory those are the bytes B, G, R,
// A, which go up unchanged as RGBA and are put back in order by the shaders
// (.bgra), so no texture is ever converted on the CPU.
#include "platform/web/webgl_backend.h"

#include <GLES2/gl2.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstring>

#include "platform/web/web_page.h"

namespace {

// GLSL ES 1.00 runs on WebGL 1 and 2 alike. Pixel (x, y) of the back buffer
// covers [x, x+1) x [y, y+1), y downwards; the back buffer's row 0 is at the
// top of the picture, which is the top of the canvas at present.
const char* const kVertexShader = R"(
attribute vec2 a_position;
attribute vec4 a_colour;
attribute vec2 a_uv;
uniform vec2 u_scale;
varying vec4 v_colour;
varying vec2 v_uv;
void main() {
    gl_Position = vec4(a_position.x * u_scale.x - 1.0, 1.0 - a_position.y * u_scale.y, 0.0, 1.0);
    v_colour = a_colour.bgra;
    v_uv = a_uv;
}
)";

// High precision where the device has it: texture coordinates into a
// 2048-texel atlas need more than a half float's 11 bits.
const char* const kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D u_texture;
varying vec4 v_colour;
varying vec2 v_uv;
void main() {
    gl_FragColor = texture2D(u_texture, v_uv).bgra * v_colour;
}
)";

// The back buffer over the whole drawing buffer; its texture holds the
// picture upside down in GL's terms, which this undoes.
const char* const kPresentVertexShader = R"(
attribute vec2 a_corner;
varying vec2 v_uv;
void main() {
    gl_Position = vec4(a_corner * 2.0 - 1.0, 0.0, 1.0);
    v_uv = a_corner;
}
)";

const char* const kPresentFragmentShader = R"(
precision mediump float;
uniform sampler2D u_picture;
varying vec2 v_uv;
void main() {
    gl_FragColor = vec4(texture2D(u_picture, v_uv).rgb, 1.0);
}
)";

enum Attribute : GLuint { kPosition = 0, kColour = 1, kUv = 2, kCorner = 0 };

GLuint compile(GLenum kind, const char* source) {
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint link(const char* vertex, const char* fragment, std::initializer_list<std::pair<GLuint, const char*>> bindings) {
    GLuint vs = compile(GL_VERTEX_SHADER, vertex);
    GLuint fs = compile(GL_FRAGMENT_SHADER, fragment);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    for (const auto& [index, name] : bindings) glBindAttribLocation(program, index, name);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

void set_sampling() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

}  // namespace

std::unique_ptr<WebGlBackend> WebGlBackend::create(const char* canvas_selector, int width, int height) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;  // the picture is opaque, as the desktop's back buffer
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_TRUE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.failIfMajorPerformanceCaveat = EM_FALSE;  // a software rasteriser is a device too
    int version = 2;
    attributes.majorVersion = 2;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvas_selector, &attributes);
    if (context <= 0) {
        version = 1;
        attributes.majorVersion = 1;
        context = emscripten_webgl_create_context(canvas_selector, &attributes);
    }
    if (context <= 0) return nullptr;
    if (emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) {
        emscripten_webgl_destroy_context(context);
        return nullptr;
    }
    std::unique_ptr<WebGlBackend> backend(new WebGlBackend(static_cast<int>(context), version, width, height));
    if (!backend->make_objects()) return nullptr;
    return backend;
}

WebGlBackend::WebGlBackend(int context, int version, int width, int height)
    : context_(context), version_(version), width_(width), height_(height) {}

WebGlBackend::~WebGlBackend() {
    emscripten_webgl_destroy_context(static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(context_));
}

bool WebGlBackend::lost() const {
    return !objects_ready_ || emscripten_is_webgl_context_lost(static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(context_));
}

bool WebGlBackend::restorable() const {
    return !emscripten_is_webgl_context_lost(static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(context_));
}

bool WebGlBackend::make_objects() {
    objects_ready_ = false;
    if (emscripten_is_webgl_context_lost(static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(context_))) return false;
    emscripten_webgl_make_context_current(static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(context_));
    GLint max_size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
    max_texture_size_ = std::max(max_size, 64);

    program_ = link(kVertexShader, kFragmentShader, {{kPosition, "a_position"}, {kColour, "a_colour"}, {kUv, "a_uv"}});
    present_program_ = link(kPresentVertexShader, kPresentFragmentShader, {{kCorner, "a_corner"}});
    if (!program_ || !present_program_) return false;
    sampler_location_ = glGetUniformLocation(program_, "u_texture");
    scale_location_ = glGetUniformLocation(program_, "u_scale");
    present_sampler_location_ = glGetUniformLocation(present_program_, "u_picture");

    GLuint buffers[3];
    glGenBuffers(3, buffers);
    vertex_buffer_ = buffers[0];
    index_buffer_ = buffers[1];
    quad_buffer_ = buffers[2];
    const float corners[] = {0, 0, 1, 0, 0, 1, 1, 1};
    glBindBuffer(GL_ARRAY_BUFFER, quad_buffer_);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);

    glGenTextures(1, &back_texture_);
    glBindTexture(GL_TEXTURE_2D, back_texture_);
    set_sampling();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width_, height_, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &back_framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, back_framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, back_texture_, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_DITHER);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    for (auto& texture : textures_)
        if (texture) {
            texture->gl = 0;
            upload(*texture);
        }
    objects_ready_ = true;
    recorded_drawn_ = commands_.empty();
    return true;
}

bool WebGlBackend::reset() {
    if (!lost()) return true;
    return make_objects();
}

void WebGlBackend::upload(Texture& texture) {
    if (!texture.gl) glGenTextures(1, &texture.gl);
    glBindTexture(GL_TEXTURE_2D, texture.gl);
    set_sampling();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texture.width, texture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texture.texels.data());
}

BackendTexture WebGlBackend::create_texture(int width, int height) {
    if (width <= 0 || height <= 0 || width > max_texture_size_ || height > max_texture_size_) return 0;
    auto texture = std::make_unique<Texture>();
    texture->width = width;
    texture->height = height;
    texture->texels.assign(static_cast<std::size_t>(width) * height, 0u);
    if (!lost()) upload(*texture);
    std::size_t slot = 0;
    while (slot < textures_.size() && textures_[slot]) ++slot;
    if (slot == textures_.size()) textures_.emplace_back();
    textures_[slot] = std::move(texture);
    return static_cast<BackendTexture>(slot + 1);
}

bool WebGlBackend::update_texture(BackendTexture handle, int x, int y, int width, int height,
                                  const std::uint32_t* argb, int pitch) {
    if (handle == 0 || handle > textures_.size() || !textures_[handle - 1] || !argb) return false;
    Texture& texture = *textures_[handle - 1];
    if (x < 0 || y < 0 || width < 0 || height < 0 || x + width > texture.width || y + height > texture.height)
        return false;
    if (width == 0 || height == 0) return true;
    for (int row = 0; row < height; ++row)
        std::memcpy(&texture.texels[static_cast<std::size_t>(y + row) * texture.width + x],
                    argb + static_cast<std::size_t>(row) * pitch, static_cast<std::size_t>(width) * 4);
    if (lost() || !texture.gl) return true;  // goes up with the rest at the reset
    glBindTexture(GL_TEXTURE_2D, texture.gl);
    if (width == texture.width) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                        &texture.texels[static_cast<std::size_t>(y) * texture.width]);
    } else {
        staging_.resize(static_cast<std::size_t>(width) * height * 4);
        for (int row = 0; row < height; ++row)
            std::memcpy(&staging_[static_cast<std::size_t>(row) * width * 4],
                        &texture.texels[static_cast<std::size_t>(y + row) * texture.width + x],
                        static_cast<std::size_t>(width) * 4);
        glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, staging_.data());
    }
    return true;
}

void WebGlBackend::destroy_texture(BackendTexture handle) {
    if (handle == 0 || handle > textures_.size() || !textures_[handle - 1]) return;
    if (textures_[handle - 1]->gl && !lost()) glDeleteTextures(1, &textures_[handle - 1]->gl);
    textures_[handle - 1].reset();
}

void WebGlBackend::bind_back_buffer() {
    glBindFramebuffer(GL_FRAMEBUFFER, back_framebuffer_);
    glViewport(0, 0, width_, height_);
}

bool WebGlBackend::draw_triangles(BackendTexture handle, const SpriteVertex* vertices, int vertex_count,
                                  const std::uint16_t* indices, int index_count, BlendMode mode) {
    if (lost()) return false;
    if (handle == 0 || handle > textures_.size() || !textures_[handle - 1] || !vertices || !indices) return false;
    if (vertex_count <= 0 || index_count <= 0) return true;
    Command command{};
    command.step = Step::Draw;
    command.texture = handle;
    command.mode = mode;
    command.first_vertex = vertices_.size();
    command.vertex_count = static_cast<std::size_t>(vertex_count);
    command.first_index = indices_.size();
    command.index_count = static_cast<std::size_t>(index_count);
    record(command);
    vertices_.insert(vertices_.end(), vertices, vertices + vertex_count);
    indices_.insert(indices_.end(), indices, indices + index_count);
    return true;
}

// The first command after a present opens the next frame. One that starts
// with a full clear replaces an unshown frame outright; anything else
// builds on it, so the unshown frame is drawn first.
void WebGlBackend::record(const Command& command) {
    if (!frame_open_) {
        const bool full_clear = command.step == Step::Clear && command.x0 == 0 && command.y0 == 0 &&
                                command.x1 == width_ && command.y1 == height_;
        if (!full_clear) draw_recorded();
        commands_.clear();
        vertices_.clear();
        indices_.clear();
        frame_open_ = true;
    }
    commands_.push_back(command);
    recorded_drawn_ = false;
}

void WebGlBackend::draw_recorded() {
    if (recorded_drawn_ || lost()) return;
    for (const Command& command : commands_) {
        if (command.step == Step::Clear)
            clear_now(command);
        else
            draw_now(command);
    }
    recorded_drawn_ = true;
}

void WebGlBackend::draw_now(const Command& command) {
    if (command.texture == 0 || command.texture > textures_.size() || !textures_[command.texture - 1]) return;
    bind_back_buffer();
    glUseProgram(program_);
    glUniform2f(scale_location_, 2.0f / width_, 2.0f / height_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures_[command.texture - 1]->gl);
    glUniform1i(sampler_location_, 0);
    if (command.mode == BlendMode::AlphaBlend) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBlendEquation(GL_FUNC_ADD);
    } else {
        glDisable(GL_BLEND);
    }
    glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(command.vertex_count * sizeof(SpriteVertex)),
                 &vertices_[command.first_vertex], GL_STREAM_DRAW);
    glEnableVertexAttribArray(kPosition);
    glEnableVertexAttribArray(kColour);
    glEnableVertexAttribArray(kUv);
    glVertexAttribPointer(kPosition, 2, GL_FLOAT, GL_FALSE, sizeof(SpriteVertex),
                          reinterpret_cast<const void*>(offsetof(SpriteVertex, x)));
    glVertexAttribPointer(kColour, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(SpriteVertex),
                          reinterpret_cast<const void*>(offsetof(SpriteVertex, colour)));
    glVertexAttribPointer(kUv, 2, GL_FLOAT, GL_FALSE, sizeof(SpriteVertex),
                          reinterpret_cast<const void*>(offsetof(SpriteVertex, u)));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, index_buffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(command.index_count * sizeof(std::uint16_t)),
                 &indices_[command.first_index], GL_STREAM_DRAW);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(command.index_count), GL_UNSIGNED_SHORT, nullptr);
}

void WebGlBackend::clear(std::uint32_t argb) { clear_rect(0, 0, width_, height_, argb); }

void WebGlBackend::clear_rect(int x0, int y0, int x1, int y1, std::uint32_t argb) {
    if (lost()) return;
    Command command{};
    command.step = Step::Clear;
    command.colour = argb;
    command.x0 = std::clamp(x0, 0, width_);
    command.x1 = std::clamp(x1, 0, width_);
    command.y0 = std::clamp(y0, 0, height_);
    command.y1 = std::clamp(y1, 0, height_);
    if (command.x0 >= command.x1 || command.y0 >= command.y1) return;
    record(command);
}

void WebGlBackend::clear_now(const Command& c) {
    bind_back_buffer();
    const bool whole = c.x0 == 0 && c.y0 == 0 && c.x1 == width_ && c.y1 == height_;
    if (!whole) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(c.x0, height_ - c.y1, c.x1 - c.x0, c.y1 - c.y0);  // GL counts rows from the bottom
    }
    glClearColor(((c.colour >> 16) & 0xFF) / 255.0f, ((c.colour >> 8) & 0xFF) / 255.0f, (c.colour & 0xFF) / 255.0f,
                 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!whole) glDisable(GL_SCISSOR_TEST);
}

void WebGlBackend::present() {
    frame_open_ = false;
    if (lost()) return;
    if (!pokomaru_browser_frame_due()) {
        ++presents_kept_;
        return;
    }
    draw_recorded();
    ++presents_shown_;
    int canvas_width = 0, canvas_height = 0;
    emscripten_webgl_get_drawing_buffer_size(static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(context_), &canvas_width,
                                             &canvas_height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, canvas_width, canvas_height);
    glDisable(GL_BLEND);
    glUseProgram(present_program_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, back_texture_);
    glUniform1i(present_sampler_location_, 0);
    glBindBuffer(GL_ARRAY_BUFFER, quad_buffer_);
    glDisableVertexAttribArray(kColour);
    glDisableVertexAttribArray(kUv);
    glEnableVertexAttribArray(kCorner);
    glVertexAttribPointer(kCorner, 2, GL_FLOAT, GL_FALSE, 2 * sizeof(float), nullptr);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

bool WebGlBackend::read_back(std::vector<std::uint32_t>& argb) {
    if (lost()) return false;
    draw_recorded();
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width_) * height_ * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, back_framebuffer_);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    argb.resize(static_cast<std::size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* row = &rgba[static_cast<std::size_t>(height_ - 1 - y) * width_ * 4];
        for (int x = 0; x < width_; ++x) {
            const std::uint8_t* p = row + x * 4;
            argb[static_cast<std::size_t>(y) * width_ + x] =
                0xFF000000u | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        }
    }
    return true;
}
