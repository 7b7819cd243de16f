// Built into every program of a ThreadSanitizer build (cmake -DOMBRIX_TSAN=ON, make
// test-tsan), since the tests' scripts start the programs with a bare environment.
//
// The system's libraries are not built with ThreadSanitizer, so it cannot see the locks
// and queues by which Qt, its D-Bus thread, libdbus and GLib hand objects from one thread
// to another: what it reports through their frames is left out, and the memory they
// free is not checked (checking it trips the runtime of GCC 12's ThreadSanitizer on
// the freed events of Qt's D-Bus thread). The program's own
// threads (the step's pool, the bus connection's thread) are checked.
extern "C" const char* __tsan_default_options() {
    // A child the program forks may start threads before it runs another program.
    return "halt_on_error=1 second_deadlock_stack=1 die_after_fork=0";
}

extern "C" const char* __tsan_default_suppressions() {
    return "race:libQt6Core.so\n"
           "race:libQt6DBus.so\n"
           "race:libdbus-1.so\n"
           "race:libglib-2.0.so\n"
           "deadlock:libdbus-1.so\n"
           "called_from_lib:libdbus-1.so\n"
           "called_from_lib:libQt6Core.so\n"
           "called_from_lib:libQt6DBus.so\n"
           "mutex:libQt6Core.so\n"
           "mutex:libQt6DBus.so\n";
}
