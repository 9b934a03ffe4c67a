// The failure box on SDL (host_message_box.h).
//
// Implements: our own box (message_box_sdl.h) with the game window hidden
// behind it meanwhile, or SDL's simple one where no installed face covers
// Japanese.
//
// Not implemented: a box while the video driver is headless (offscreen,
// dummy): the hosted layer has written the text to standard error.
//
// Kept in a file of its own: a test build links one of its own that only
// reports the box (testing/failure_box_sdl_testing.cpp).
#include <SDL.h>

#include <cstring>

#include "platform/hosted/host_message_box.h"
#include "platform/sdl/message_box_sdl.h"
#include "platform/sdl/sdl_window.h"
#include "platform/sjis.h"

void host_show_message_box(HostWindow* game_window, const char* caption_sjis, const char* text_sjis) {
    // A message box needs a display; without one, standard error is all.
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    bool headless = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (headless) return;
    // The boxes come at start-up, before the game window has anything to
    // show: an empty window behind the box would only confuse.
    SDL_Window* game = game_window ? game_window->sdl : nullptr;
    const bool game_window_shown = game && (SDL_GetWindowFlags(game) & SDL_WINDOW_SHOWN);
    if (game_window_shown) SDL_HideWindow(game);
    // Our own box draws the Japanese text; the window system's box is the
    // fallback when no installed face covers Japanese, and standard error
    // has the text either way.
    if (!show_own_message_box(caption_sjis, text_sjis))
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, cp932_to_utf8(caption_sjis).c_str(),
                                 cp932_to_utf8(text_sjis).c_str(), nullptr);
    if (game_window_shown) SDL_ShowWindow(game);
}
