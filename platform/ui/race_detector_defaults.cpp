// The programs built under ThreadSanitizer: what the race detector leaves to Qt.

#if defined(__SANITIZE_THREAD__)
// Qt's libraries and the GLib event loop under them are not instrumented. Their own threads
// (pooled image conversion while painting) hand memory to each other and to the window's thread
// through synchronisation the race detector cannot see. Only allocator and memory calls made from
// inside those libraries are ignored; every access of the programs' own code is still checked.
// The window tests carry the same list (tests/support/qt/modal_driver.cpp).
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n"
           "called_from_lib:libglib-2.0.so.0\n";
}
#endif
