// What the browser's presenter tells the page's tests and benchmarks.
#pragma once

// Pictures that reached the canvas since the page opened.
unsigned long web_presents_shown();
// Whether presents wait undrawn for the canvas to take the picture before
// them (the back buffer is then that picture, not the frame presented last).
bool web_drawing_owed();
