// Leak-check settings for the suite that loads and unloads the engine library in its own process.
//
// Unloading a library that used thread-local storage leaves the main thread's dynamic TLS table
// pointing at freed memory, and the leak checker's scan of that table at exit then crashes now
// and then. Not scanning TLS instead makes every library that keeps a block in TLS (GLib, the
// media libraries) look leaky, so this suite runs with AddressSanitizer's other checks only.
#if defined(__SANITIZE_ADDRESS__)
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_options()
{
    return "detect_leaks=0";
}
#endif
