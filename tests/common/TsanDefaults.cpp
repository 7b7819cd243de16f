// Built into every program of a ThreadSanitizer build (cmake -DOMBRIX_TSAN=ON, make
// test-tsan), since the tests' scripts start the programs with a bare environment.
//
// The system's libraries are not built with ThreadSanitizer, so it cannot see the locks
// and queues by which Qt, its D-Bus thread, libdbus and GLib hand objects from one thread
// to another: what it reports through their frames is left out. The program's own
// threads (the step's pool, the bus connection's thread) are checked.
extern "C" const char* __tsan_default_options() {
    return "halt_on_error=1 second_deadlock_stack=1";
}

extern "C" const char* __tsan_default_suppressions() {
    return "race:libQt6Core.so\n"
           "race:libQt6DBus.so\n"
           "race:libdbus-1.so\n"
           "race:libglib-2.0.so\n"
           "deadlock:libdbus-1.so\n"
           "called_from_lib:libdbus-1.so\n"
           "mutex:libQt6Core.so\n"
           "mutex:libQt6DBus.so\n";
}
