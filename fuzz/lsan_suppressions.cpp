// Leaks LeakSanitizer is to ignore in every harness: allocations that system libraries make once
// and keep without a pointer LeakSanitizer can see (fontconfig's parse of its configuration, made
// at the first font lookup). The sanitizer runtime calls this when it starts.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
