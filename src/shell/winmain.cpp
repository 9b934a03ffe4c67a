#include "shell/winmain.h"

int WinMain(HINSTANCE, HINSTANCE, char*, int) { return 0; }
