// The failure box a backend shows: caption and text in code page 932 (the
// hosted layer has already written them to standard error). It blocks until
// the player dismisses it where the platform can; where there is no display
// it shows nothing. `game_window` (may be null) is the game's window, which
// the backend may hide while the box is up.
#pragma once

struct HostWindow;

void host_show_message_box(HostWindow* game_window, const char* caption_sjis, const char* text_sjis);
