// What the browser's presenter tells the page's tests and benchmarks.
#pragma once

// Pictures that reached the canvas since the page opened.
unsigned long web_presents_shown();
