// The window's title as the X Window System's older properties carry it.
// Kept apart from the window layer so that Xlib's macros (None, Status,
// Success, ...) meet no other header.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "platform/sdl/sdl_window.h"

// WM_NAME as SDL writes it is UTF-8 bytes that older taskbars and tools
// read as Latin-1. Compound text is the encoding the property is meant to
// carry; XStdICCTextStyle keeps a plain ASCII title a STRING. Xlib converts
// through the character sets of the current locale, and the game runs in
// the "C" locale, which has none for Japanese: the conversion runs under a
// UTF-8 character type for its duration, on the one game thread.
unsigned long set_legacy_x11_title(SDL_Window* window, const char* title) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    Display* display = info.info.x11.display;
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string previous = current ? current : "C";
    bool converted = false;
    XTextProperty property{};
    for (const char* utf8_locale : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        if (!std::setlocale(LC_CTYPE, utf8_locale)) continue;
        if (!XSupportsLocale()) continue;
        char* list[] = {const_cast<char*>(title)};
        converted = Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &property) == Success;
        break;
    }
    std::setlocale(LC_CTYPE, previous.c_str());
    if (!converted) {
        std::fprintf(stderr, "window: the title cannot be set as compound text; WM_NAME stays as SDL set it\n");
        return 0;
    }
    XSetWMName(display, info.info.x11.window, &property);
    XSetWMIconName(display, info.info.x11.window, &property);
    XFree(property.value);
    XFlush(display);
    return info.info.x11.window;
}

unsigned long x11_window_of(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}
