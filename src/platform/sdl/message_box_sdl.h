// The start-up failure box on SDL: a small window of our own, drawn on its
// CPU surface with the game's fonts, so that its Japanese text reads on any
// X11 or Wayland desktop (the window system's own boxes have no Japanese
// glyphs) and so that it works when the graphics device is what failed.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/win_types.h"

// The box's face as pixels: 0xAARRGGBB rows, and where its one button is.
struct MessageBoxPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    RECT ok_button{};
    RECT text{};  // where the text was laid out
};

// Lays out and draws the box for a text in code page 932. False when no
// installed face covers Japanese (the caller then falls back).
bool draw_message_box(const char* text_sjis, MessageBoxPicture& out);

// One box on the screen. open() makes and shows its window; handle() takes
// every SDL event and says when the box has been dismissed: a click on OK,
// Return, Escape, or the close box. The window goes with the object.
class OwnMessageBox {
public:
    OwnMessageBox() = default;
    OwnMessageBox(const OwnMessageBox&) = delete;
    OwnMessageBox& operator=(const OwnMessageBox&) = delete;
    ~OwnMessageBox();

    bool open(const char* caption_sjis, const char* text_sjis);
    bool handle(const SDL_Event& event);
    void present();  // draws the picture on the window's surface
    SDL_Window* window() const { return window_; }
    const MessageBoxPicture& picture() const { return picture_; }

private:
    SDL_Window* window_ = nullptr;
    MessageBoxPicture picture_;
    bool pressed_on_ok_ = false;
};

// Shows the box and waits until it is dismissed. False when it could not be
// shown (no Japanese face, no display): the caller falls back.
bool show_own_message_box(const char* caption_sjis, const char* text_sjis);
