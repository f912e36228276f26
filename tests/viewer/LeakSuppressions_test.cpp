// Leaks of system libraries that Qt loads (fontconfig keeps caches until the
// process ends); LeakSanitizer reads these built-in suppressions when the GUI
// tests run in the sanitizer build.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
