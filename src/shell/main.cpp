// Process entry on every platform but Windows: the same start-up as WinMain.
#include "shell/winmain.h"

int main() { return WinMain(platform_instance(), nullptr, nullptr, 0); }
