// The page's events as the browser layer receives them: pointer, touch and
// key events of the canvas and the page, focus and visibility, all queued
// as the hosted layer's events in one PageInput.
#pragma once

#include "platform/web/page_input.h"

// Starts listening; the window exists from now on.
void start_page_events();
PageInput& page_input();
// The client area: the canvas's size on the page in CSS pixels.
void canvas_client_size(int& width, int& height);
