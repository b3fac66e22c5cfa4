// Tests that draw text link this. fontconfig is built without frame pointers,
// so the sanitizer's fast unwinder stops inside it and the leak suppressions
// for cairo's one-time toy-font leak (tests/lsan.supp) could never match their
// frames. Options given in ASAN_OPTIONS still win over these defaults.
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
