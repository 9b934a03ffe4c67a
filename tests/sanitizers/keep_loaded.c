/* Preloaded into the sanitizer run: shared objects are never unloaded, so
 * that LeakSanitizer can still name the graphics drivers that SDL loads and
 * unloads (their own leaks are then suppressed by name in lsan.supp instead
 * of being reported against an unknown module). */
int dlclose(void* handle) {
    (void)handle;
    return 0;
}
