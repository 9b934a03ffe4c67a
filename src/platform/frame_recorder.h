// The frame the game draws between two presents, as a list of commands: its
// clears and its triangle draws, each draw with the content version (the
// generation) of its texture. Every device records its frames here and draws
// them at the present through a small sink, so the rules of what a frame
// shares with the last one live once: whether it repeats it, how long a start
// it shares with it, and where the two differ. Pure CPU code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/render_backend.h"

// A rectangle in back-buffer pixels; pixel (x, y) is inside when
// x <= px < x + w and y <= py < y + h.
struct PixelRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const PixelRect&) const = default;
    bool empty() const { return w <= 0 || h <= 0; }
};
bool rects_meet(const PixelRect& a, const PixelRect& b);
// Empty when they do not meet.
PixelRect rect_meeting(const PixelRect& a, const PixelRect& b);
PixelRect rect_joining(const PixelRect& a, const PixelRect& b);

struct FrameCommand {
    enum Kind : std::uint8_t { Clear, Triangles } kind = Clear;
    PixelRect view;             // the viewport; positions are relative to it
    PixelRect area;             // Clear: the rectangle filled, relative to the viewport
    std::uint32_t colour = 0;   // Clear: 0xXXRRGGBB (drawn opaque)
    BackendTexture texture = 0; // Triangles
    BlendMode mode = BlendMode::AlphaBlend;
    // The texture's generation when the frame was compared (stamp_generations).
    std::uint64_t generation = 0;
    int first_vertex = 0, vertex_count = 0, first_index = 0, index_count = 0;

    // The same call apart from its vertices, indices and generation.
    bool same_call(const FrameCommand& o) const;
};

// A place in a frame: the commands before `command` whole, and the first
// `index` indices of `command` (always whole quads).
struct FramePosition {
    std::size_t command = 0;
    int index = 0;
    bool operator==(const FramePosition&) const = default;
    bool operator<=(const FramePosition& o) const {
        return command < o.command || (command == o.command && index <= o.index);
    }
};

struct RecordedFrame {
    std::vector<FrameCommand> commands;
    std::vector<SpriteVertex> vertices;
    std::vector<std::uint16_t> indices;

    void clear();
    FramePosition end() const { return {commands.size(), 0}; }
    // Whether the frame's first command clears the whole width x height back
    // buffer: what it shows then depends on its own drawing alone.
    bool starts_with_full_clear(int width, int height) const;
};

// Where replayed commands are drawn: a backend's device or a test's picture.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Fills `area` (relative to `view`) with an opaque colour, no blending.
    virtual void clear(const PixelRect& view, const PixelRect& area, std::uint32_t colour) = 0;
    // Draws triangles (indices into `vertices`, positions relative to `view`).
    virtual void draw_triangles(const PixelRect& view, BackendTexture texture, const SpriteVertex* vertices,
                                int vertex_count, const std::uint16_t* indices, int index_count, BlendMode mode) = 0;
    // Keeps drawing inside `clip` (back-buffer pixels) from now on; null: anywhere.
    virtual void set_clip(const PixelRect* clip) = 0;
};

// The back-buffer pixels that indices [begin, end) of a command can touch
// (the whole area of a clear): the vertices' bounding box with a pixel more
// on each side for rounding and filtering, within the command's viewport and
// the width x height back buffer. Empty when nothing shows.
PixelRect command_bounds(const RecordedFrame& f, const FrameCommand& c, int begin, int end, int width, int height);
// The pixels that the commands of a frame from a position on can touch.
PixelRect area_drawn(const RecordedFrame& f, FramePosition from, int width, int height);

// How far `now` is the same, call for call and texel for texel, as `last`
// (both stamped). Only a frame that starts with a full clear has a prefix.
FramePosition unchanged_prefix(const RecordedFrame& now, const RecordedFrame& last, int width, int height);
// Whether a prefix is the whole of both frames: `now` repeats `last`.
bool whole_frame(const FramePosition& prefix, const RecordedFrame& now, const RecordedFrame& last);

// At most this many damage rectangles.
constexpr std::size_t kMaxDamageRects = 4;
// Where `now` differs from `last`, which the back buffer still shows: the
// bounds of every quad, call or clear that differs, in its old and its new
// version (every quad of a texture whose texels changed). True when that is
// small enough to redraw by parts: under half the back buffer, and both
// frames start with a full clear, so that redrawing a region from the first
// command gives it exactly the pixels a full drawing would.
bool damage_rects(const RecordedFrame& now, const RecordedFrame& last, int width, int height,
                  std::vector<PixelRect>& rects);

// Replays commands [from, to) of a frame into a sink, in order.
void replay(const RecordedFrame& f, FramePosition from, FramePosition to, FrameSink& sink);
// Replays a frame from a position on within one rectangle: the sink's clip
// keeps every pixel outside as it was, and only the quads that can touch the
// rectangle are sent, in their order. `picked` is scratch storage.
void replay_within(const RecordedFrame& f, const PixelRect& area, FramePosition from, FrameSink& sink,
                   std::vector<std::uint16_t>& picked);

// The frame being drawn and the one presented last. The storage is kept
// between frames, so a running game allocates nothing per frame.
class FrameRecorder {
public:
    void record_clear(const PixelRect& view, const PixelRect& area, std::uint32_t colour);
    // False (and nothing recorded) for an index outside the vertices or an
    // empty draw.
    bool record_triangles(const PixelRect& view, BackendTexture texture, const SpriteVertex* vertices,
                          int vertex_count, const std::uint16_t* indices, int index_count, BlendMode mode);

    // Writes each draw's texture generation, as it stands now, into the frame
    // being drawn: called at the present, before it is compared.
    void stamp_generations(const std::function<std::uint64_t(BackendTexture)>& generation_of);

    const RecordedFrame& frame() const { return frame_; }
    // The frame presented last, or null when there is none to compare with.
    const RecordedFrame* presented() const { return presented_valid_ ? &presented_ : nullptr; }

    // Ends the frame: when `comparable`, it becomes the presented frame;
    // otherwise there is none. The next frame starts empty.
    void end_frame(bool comparable);
    // No frame is presented as far as the next one is concerned.
    void forget_presented() { presented_valid_ = false; }

private:
    RecordedFrame frame_, presented_;
    bool presented_valid_ = false;
};
