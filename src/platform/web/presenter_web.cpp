// The browser's presenter for the hosted graphics device: the recorded
// frames drawn by WebGL (1 or 2, whichever the browser gives) into a back
// buffer (a framebuffer texture) that is shown stretched over the page's
// canvas. Managed textures keep their texels on the CPU and go up again
// after the browser drops the context, so nothing is ever reloaded.
//
// The stretch keeps the picture's pixels sharp: each pixel of the back
// buffer is drawn in its own colour over the canvas pixels it covers, and
// only the one canvas pixel where two of them meet is a linear blend of the
// two. By a whole multiple k every pixel so becomes a k x k block of
// exactly its colour, at 1x the canvas is the back buffer itself, and
// between whole multiples (an iPad's 1.6 or 2.1, 2.8 on a 4K screen) the
// borders are one canvas pixel soft rather than a whole pixel of the
// picture.
//
// Texels and vertex colours stay 0xAARRGGBB words as the sprite batch hands
// them over; in memory those are the bytes B, G, R, A, which go up unchanged
// as RGBA and are put back in order by the shaders (.bgra), so no texture is
// ever converted on the CPU.
//
// A frame that differs from the one in the back buffer only in small
// rectangles (a piece dragged, a button lit) is drawn again inside those
// rectangles alone, scissored, from the frame's first command; any other is
// drawn in full. The browser shows at most one picture per frame of its
// own: after a frame is drawn, the back buffer is copied to the canvas, in
// one draw, at the start of the browser's next frame (an animation frame
// callback, run while the game's loop sleeps). A frame presented before
// then is not drawn, nor copied: only the rectangles where it changed are
// noted, and the next drawing redraws them all from the newest frame, so
// the rasteriser draws no more than is seen. Every frame the game draws
// starts with a full clear; one that does not is drawn over whatever the
// back buffer holds.

#include "platform/web/presenter_web.h"

#include <GLES2/gl2.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/hosted/host_graphics.h"
#include "platform/hosted/presenter_diagnostics.h"
#include "platform/hosted/platform_window.h"
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

// The back buffer over the whole drawing buffer, u_stretch canvas pixels to
// one of its pixels (at least 1). Within a back-buffer pixel the sample
// stays at its centre, but over the last half canvas pixel towards a border
// it moves from the centre out to the border, so that linear sampling blends
// the two neighbours only across the canvas pixel that straddles it. The
// texel arithmetic (positions up to 1024 with their fractions) needs high
// precision; a device without it gets the plain linear stretch.
const char* const kPresentFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D u_picture;
uniform vec2 u_size;
uniform float u_stretch;
varying vec2 v_uv;
void main() {
#ifdef GL_FRAGMENT_PRECISION_HIGH
    vec2 texel = v_uv * u_size;
    vec2 cell = floor(texel);
    vec2 from_centre = texel - cell - 0.5;
    float flat_part = 0.5 - 0.5 / u_stretch;
    vec2 at = cell + 0.5 + (from_centre - clamp(from_centre, -flat_part, flat_part)) * u_stretch;
    vec2 uv = at / u_size;
#else
    vec2 uv = v_uv;
#endif
    gl_FragColor = vec4(texture2D(u_picture, uv).rgb, 1.0);
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

using ContextHandle = EMSCRIPTEN_WEBGL_CONTEXT_HANDLE;

unsigned long presents_shown = 0;

class WebGlPresenter;
WebGlPresenter* the_presenter = nullptr;  // the canvas has one context
void show_on_canvas();  // from the browser's animation frame

// A colour target: the back buffer, or the picture a full drawing is checked on.
struct Target {
    unsigned texture = 0, framebuffer = 0;
    int width = 0, height = 0;
};

class WebGlPresenter final : public HostPresenter, private FrameSink {
public:
    WebGlPresenter(ContextHandle context, int version) : context_(context), version_(version) {
        the_presenter = this;
    }
    ~WebGlPresenter() override {
        the_presenter = nullptr;
        emscripten_webgl_destroy_context(context_);
    }
    bool start() { return make_objects(); }

    const char* name() const { return version_ == 2 ? "webgl2" : "webgl"; }
    int max_texture_size() const override { return max_texture_size_; }

    BackendTexture create_texture(int width, int height) override {
        if (width <= 0 || height <= 0 || width > max_texture_size_ || height > max_texture_size_) return 0;
        auto texture = std::make_unique<Texture>();
        texture->width = width;
        texture->height = height;
        texture->texels.assign(static_cast<std::size_t>(width) * height, 0u);
        if (!lost()) upload(*texture, false);  // WebGL starts a texture at zero: no zeros go up
        std::size_t slot = 0;
        while (slot < textures_.size() && textures_[slot]) ++slot;
        if (slot == textures_.size()) textures_.emplace_back();
        textures_[slot] = std::move(texture);
        return static_cast<BackendTexture>(slot + 1);
    }

    bool update_texture(BackendTexture handle, int x, int y, int width, int height, const std::uint32_t* argb,
                        int pitch) override {
        Texture* texture = texture_of(handle);
        if (!texture || !argb) return false;
        if (x < 0 || y < 0 || width < 0 || height < 0 || x + width > texture->width || y + height > texture->height)
            return false;
        if (width == 0 || height == 0) return true;
        for (int row = 0; row < height; ++row)
            std::memcpy(&texture->texels[static_cast<std::size_t>(y + row) * texture->width + x],
                        argb + static_cast<std::size_t>(row) * pitch, static_cast<std::size_t>(width) * 4);
        if (lost() || !texture->gl) return true;  // goes up with the rest at the reset
        glBindTexture(GL_TEXTURE_2D, texture->gl);
        if (width == texture->width) {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                            &texture->texels[static_cast<std::size_t>(y) * texture->width]);
            return true;
        }
        staging_.resize(static_cast<std::size_t>(width) * height * 4);
        for (int row = 0; row < height; ++row)
            std::memcpy(&staging_[static_cast<std::size_t>(row) * width * 4],
                        &texture->texels[static_cast<std::size_t>(y + row) * texture->width + x],
                        static_cast<std::size_t>(width) * 4);
        glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, staging_.data());
        return true;
    }

    void destroy_texture(BackendTexture handle) override {
        Texture* texture = texture_of(handle);
        if (!texture) return;
        if (texture->gl && !lost()) glDeleteTextures(1, &texture->gl);
        textures_[handle - 1].reset();
    }

    HRESULT make_back_buffer(int width, int height) override {
        back_.width = width;
        back_.height = height;
        forget_owed();
        if (!lost() && !make_target(back_)) return D3DERR_OUTOFVIDEOMEMORY;
        return S_OK;
    }
    void set_options(const FrameDrawingOptions& options) { options_ = options; }
    void forget_presented() override {}  // the back buffer is all it keeps of earlier frames

    // A present left undrawn is drawn at the next one, even if the game
    // presents the same frame again, once the canvas has taken the picture
    // before it.
    HostWindowState poll_window() override {
        HostWindowState state;
        state.exposed = owed_ && !waiting_;
        return state;
    }

    void draw_now(const RecordedFrame& frame, FramePosition from, FramePosition to) {
        if (lost()) return;
        replay(frame, from, to, *this);
    }

    // The back buffer holds the frame presented last (`presented`), or one
    // before it that differs from it only inside owed_rects_ (or anywhere,
    // owed_full_). A present that comes while the canvas has not yet taken
    // the picture drawn last is not drawn: what it changed is owed, and
    // the next drawing redraws the rectangles where any frame since the one
    // in the back buffer changed, from the newest frame's first command.
    FrameDrawn draw_frame(const FrameDrawing& drawing) override {
        const RecordedFrame& frame = *drawing.frame;
        if (lost()) return {};
        const bool early = !(drawing.drawn == FramePosition{});
        const int w = back_.width, h = back_.height;
        if (drawing.back_buffer_kept && !early && drawing.presented && options_.damage_redraw &&
            damage_rects(frame, *drawing.presented, w, h, damage_))
            owe(damage_);
        else
            owed_full_ = true;
        owed_ = true;
        if (waiting_ && !early && frame.starts_with_full_clear(w, h)) return {};
        FrameDrawn how;
        if (!owed_full_) {
            for (const PixelRect& area : owed_rects_) replay_within(frame, area, {}, *this, picked_);
            set_clip(nullptr);
            how.in_part = true;
        } else {
            replay(frame, drawing.drawn, frame.end(), *this);
        }
        forget_owed();
        waiting_ = true;
        return how;
    }

    void show() override {
        if (lost()) return;
        pokomaru_show_at_next_frame(&show_on_canvas);
    }

    bool owed() const { return owed_; }

    // The browser's frame has come: the latest picture goes on the canvas.
    void put_on_canvas() {
        if (lost() || !waiting_) return;
        waiting_ = false;
        ++presents_shown;
        draw_on_canvas();
    }

    // The back buffer over the canvas's whole drawing buffer, each of its
    // pixels in its own colour but for one canvas pixel at its borders.
    void draw_on_canvas() {
        int canvas_width = 0, canvas_height = 0;
        emscripten_webgl_get_drawing_buffer_size(context_, &canvas_width, &canvas_height);
        float stretch = 1.0f;
        if (back_.width > 0 && back_.height > 0)
            stretch = std::max(1.0f, std::min(static_cast<float>(canvas_width) / back_.width,
                                              static_cast<float>(canvas_height) / back_.height));
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, canvas_width, canvas_height);
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_BLEND);
        glUseProgram(present_program_);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, back_.texture);
        glUniform1i(present_sampler_location_, 0);
        glUniform2f(present_size_location_, static_cast<float>(back_.width), static_cast<float>(back_.height));
        glUniform1f(present_stretch_location_, stretch);
        glBindBuffer(GL_ARRAY_BUFFER, quad_buffer_);
        glDisableVertexAttribArray(kColour);
        glDisableVertexAttribArray(kUv);
        glEnableVertexAttribArray(kCorner);
        glVertexAttribPointer(kCorner, 2, GL_FLOAT, GL_FALSE, 2 * sizeof(float), nullptr);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }

    bool lost() const override { return !objects_ready_ || simulated_loss_ || emscripten_is_webgl_context_lost(context_); }

    HRESULT reset(int width, int height) override {
        if (emscripten_is_webgl_context_lost(context_)) return D3DERR_DEVICELOST;
        if (lost()) {
            simulated_loss_ = false;
            if (!make_objects()) return D3DERR_DEVICELOST;
        }
        return make_back_buffer(width, height);
    }

    bool read_back_buffer(std::vector<std::uint32_t>& argb) {
        if (lost()) return false;
        return read_target(back_, argb);
    }

    void simulate_loss() {
        if (lost()) return;
        drop_objects();
        simulated_loss_ = true;
    }

    bool draw_in_full(const RecordedFrame& frame, std::vector<std::uint32_t>& argb) {
        if (lost()) return false;
        Target check{0, 0, back_.width, back_.height};
        if (!make_target(check)) return false;
        target_ = &check;
        replay(frame, {}, frame.end(), *this);
        target_ = &back_;
        set_clip(nullptr);
        const bool read = read_target(check, argb);
        glDeleteFramebuffers(1, &check.framebuffer);
        glDeleteTextures(1, &check.texture);
        return read;
    }

    bool read_window(std::vector<std::uint32_t>&) { return false; }

    // The canvas's drawing buffer with the back buffer drawn over it now, as
    // the next show draws it: ARGB rows from the top.
    bool read_canvas(std::vector<std::uint32_t>& argb, int& width, int& height) {
        if (lost()) return false;
        draw_on_canvas();
        emscripten_webgl_get_drawing_buffer_size(context_, &width, &height);
        Target canvas{0, 0, width, height};
        return read_target(canvas, argb);
    }

private:
    struct Texture {
        int width = 0, height = 0;
        std::vector<std::uint32_t> texels;  // the managed copy, 0xAARRGGBB
        unsigned gl = 0;
    };

    // Adds a frame's damage rectangles to what is owed; too many make one
    // rectangle around them all, and that half the back buffer or more, a
    // full drawing.
    void owe(const std::vector<PixelRect>& rects) {
        if (owed_full_) return;
        owed_rects_.insert(owed_rects_.end(), rects.begin(), rects.end());
        if (owed_rects_.size() <= 2 * kMaxDamageRects) return;
        PixelRect all = owed_rects_.front();
        for (const PixelRect& r : owed_rects_) all = rect_joining(all, r);
        owed_rects_.assign(1, all);
        if (static_cast<long long>(all.w) * all.h * 2 >= static_cast<long long>(back_.width) * back_.height)
            owed_full_ = true;
    }

    void forget_owed() {
        owed_ = owed_full_ = waiting_ = false;
        owed_rects_.clear();
    }

    Texture* texture_of(BackendTexture handle) {
        return handle > 0 && handle <= textures_.size() ? textures_[handle - 1].get() : nullptr;
    }

    bool make_objects() {
        objects_ready_ = false;
        if (emscripten_is_webgl_context_lost(context_)) return false;
        emscripten_webgl_make_context_current(context_);
        GLint max_size = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
        max_texture_size_ = std::max(max_size, 64);
        program_ = link(kVertexShader, kFragmentShader, {{kPosition, "a_position"}, {kColour, "a_colour"}, {kUv, "a_uv"}});
        present_program_ = link(kPresentVertexShader, kPresentFragmentShader, {{kCorner, "a_corner"}});
        if (!program_ || !present_program_) return false;
        sampler_location_ = glGetUniformLocation(program_, "u_texture");
        scale_location_ = glGetUniformLocation(program_, "u_scale");
        present_sampler_location_ = glGetUniformLocation(present_program_, "u_picture");
        present_size_location_ = glGetUniformLocation(present_program_, "u_size");
        present_stretch_location_ = glGetUniformLocation(present_program_, "u_stretch");
        GLuint buffers[3];
        glGenBuffers(3, buffers);
        vertex_buffer_ = buffers[0];
        index_buffer_ = buffers[1];
        quad_buffer_ = buffers[2];
        const float corners[] = {0, 0, 1, 0, 0, 1, 1, 1};
        glBindBuffer(GL_ARRAY_BUFFER, quad_buffer_);
        glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
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
        back_.texture = back_.framebuffer = 0;
        objects_ready_ = true;
        return true;
    }

    // Lets go of every GL object, as a lost context does.
    void drop_objects() {
        for (auto& texture : textures_)
            if (texture && texture->gl) glDeleteTextures(1, &texture->gl);
        if (back_.framebuffer) glDeleteFramebuffers(1, &back_.framebuffer);
        if (back_.texture) glDeleteTextures(1, &back_.texture);
        const GLuint buffers[3] = {vertex_buffer_, index_buffer_, quad_buffer_};
        glDeleteBuffers(3, buffers);
        glDeleteProgram(program_);
        glDeleteProgram(present_program_);
        forget_owed();
    }

    bool make_target(Target& target) {
        if (!target.texture) glGenTextures(1, &target.texture);
        glBindTexture(GL_TEXTURE_2D, target.texture);
        set_sampling();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, target.width, target.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        if (!target.framebuffer) glGenFramebuffers(1, &target.framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.texture, 0);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        return true;
    }

    bool read_target(const Target& target, std::vector<std::uint32_t>& argb) {
        const int w = target.width, h = target.height;
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
        glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        argb.resize(static_cast<std::size_t>(w) * h);
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* row = &rgba[static_cast<std::size_t>(h - 1 - y) * w * 4];  // GL counts rows up
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = row + x * 4;
                argb[static_cast<std::size_t>(y) * w + x] =
                    0xFF000000u | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
            }
        }
        return true;
    }

    void upload(Texture& texture, bool with_texels = true) {
        if (!texture.gl) glGenTextures(1, &texture.gl);
        glBindTexture(GL_TEXTURE_2D, texture.gl);
        set_sampling();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texture.width, texture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     with_texels ? texture.texels.data() : nullptr);
    }

    // A rectangle of the target in GL's terms, which count rows from the bottom.
    void scissor(const PixelRect& r) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(r.x, target_->height - r.y - r.h, r.w, r.h);
    }

    void bind_target(const PixelRect& view) {
        glBindFramebuffer(GL_FRAMEBUFFER, target_->framebuffer);
        glViewport(view.x, target_->height - view.y - view.h, view.w, view.h);
    }

    // The sink the recorded frames are replayed through.
    void clear(const PixelRect& view, const PixelRect& area, std::uint32_t colour) override {
        PixelRect r = rect_meeting({view.x + area.x, view.y + area.y, area.w, area.h}, view);
        r = rect_meeting(r, {0, 0, target_->width, target_->height});
        if (has_clip_) r = rect_meeting(r, clip_);
        if (r.empty()) return;
        bind_target(view);
        scissor(r);
        glClearColor(((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f, (colour & 0xFF) / 255.0f,
                     1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (!has_clip_) glDisable(GL_SCISSOR_TEST);
        else scissor(clip_);
    }

    void draw_triangles(const PixelRect& view, BackendTexture handle, const SpriteVertex* vertices, int vertex_count,
                        const std::uint16_t* indices, int index_count, BlendMode mode) override {
        Texture* texture = texture_of(handle);
        if (!texture || vertex_count <= 0 || index_count <= 0) return;
        bind_target(view);
        glUseProgram(program_);
        glUniform2f(scale_location_, 2.0f / view.w, 2.0f / view.h);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture->gl);
        glUniform1i(sampler_location_, 0);
        if (mode == BlendMode::AlphaBlend) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glBlendEquation(GL_FUNC_ADD);
        } else {
            glDisable(GL_BLEND);
        }
        glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertex_count * sizeof(SpriteVertex)), vertices,
                     GL_STREAM_DRAW);
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
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(index_count * sizeof(std::uint16_t)), indices,
                     GL_STREAM_DRAW);
        glDrawElements(GL_TRIANGLES, index_count, GL_UNSIGNED_SHORT, nullptr);
    }

    void set_clip(const PixelRect* clip) override {
        has_clip_ = clip != nullptr;
        if (clip) {
            clip_ = *clip;
            scissor(clip_);
        } else {
            glDisable(GL_SCISSOR_TEST);
        }
    }

    ContextHandle context_;
    int version_;
    int max_texture_size_ = 2048;
    bool objects_ready_ = false, simulated_loss_ = false;
    unsigned program_ = 0, present_program_ = 0;
    unsigned vertex_buffer_ = 0, index_buffer_ = 0, quad_buffer_ = 0;
    int sampler_location_ = -1, present_sampler_location_ = -1, scale_location_ = -1;
    int present_size_location_ = -1, present_stretch_location_ = -1;
    std::vector<std::unique_ptr<Texture>> textures_;  // handle - 1 indexes this; null for a freed slot
    std::vector<std::uint8_t> staging_;
    Target back_;
    Target* target_ = &back_;
    PixelRect clip_;
    bool has_clip_ = false;
    bool waiting_ = false;    // the back buffer holds a picture drawn for the canvas, not taken yet
    bool owed_ = false;       // presents since the back buffer's picture are not drawn
    bool owed_full_ = false;  // ... and need a full drawing
    std::vector<PixelRect> owed_rects_;
    FrameDrawingOptions options_;
    std::vector<PixelRect> damage_;       // where the frame presented differs from the one before
    std::vector<std::uint16_t> picked_;   // replay_within's scratch
};

void show_on_canvas() {
    if (the_presenter) the_presenter->put_on_canvas();
}

ContextHandle make_context() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;  // the picture is opaque, as the desktop's back buffer
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_TRUE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.failIfMajorPerformanceCaveat = EM_FALSE;  // a software rasteriser is a device too
    attributes.majorVersion = 2;
    ContextHandle context = emscripten_webgl_create_context(kCanvasSelector, &attributes);
    if (context <= 0) {
        attributes.majorVersion = 1;
        context = emscripten_webgl_create_context(kCanvasSelector, &attributes);
    }
    return context;
}

}  // namespace

bool host_graphics_start() { return true; }

HostPresenter* host_create_presenter(HWND window, HostRenderer, HRESULT* why) {
    *why = D3DERR_INVALIDCALL;
    if (!host_window_of(window) || window->destroyed) return nullptr;
    // The browser gives one kind of device, WebGL, on the GPU or on its own
    // software rasteriser, whatever kind the game asks for.
    *why = D3DERR_NOTAVAILABLE;
    if (the_presenter) return nullptr;
    const ContextHandle context = make_context();
    if (context <= 0) return nullptr;
    EmscriptenWebGLContextAttributes made;
    const int version = emscripten_webgl_get_context_attributes(context, &made) == EMSCRIPTEN_RESULT_SUCCESS
                            ? made.majorVersion
                            : 1;
    auto presenter = std::make_unique<WebGlPresenter>(context, version);
    if (!presenter->start()) return nullptr;
    *why = S_OK;
    return presenter.release();
}

unsigned long web_presents_shown() { return presents_shown; }
bool web_drawing_owed() { return the_presenter && the_presenter->owed(); }

bool web_read_canvas(std::vector<std::uint32_t>& argb, int& width, int& height) {
    return the_presenter && the_presenter->read_canvas(argb, width, height);
}

// What tests ask of the presenter (hosted/presenter_diagnostics.h). The game
// calls none of these, and the linker leaves them out of its program.
namespace {
WebGlPresenter& web(HostPresenter& p) { return static_cast<WebGlPresenter&>(p); }
}  // namespace

const char* presenter_name(HostPresenter& p) { return web(p).name(); }
void set_presenter_options(HostPresenter& p, const FrameDrawingOptions& o) { web(p).set_options(o); }
void presenter_draw_now(HostPresenter& p, const RecordedFrame& frame, FramePosition from, FramePosition to) {
    web(p).draw_now(frame, from, to);
}
bool presenter_read_back_buffer(HostPresenter& p, std::vector<std::uint32_t>& argb) {
    return web(p).read_back_buffer(argb);
}
bool presenter_draw_in_full(HostPresenter& p, const RecordedFrame& frame, std::vector<std::uint32_t>& argb) {
    return web(p).draw_in_full(frame, argb);
}
bool presenter_read_window(HostPresenter& p, std::vector<std::uint32_t>& argb) { return web(p).read_window(argb); }
void presenter_simulate_loss(HostPresenter& p) { web(p).simulate_loss(); }
