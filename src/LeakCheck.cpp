// Linked into sanitizer builds only.
//
// The GL driver and other plug-ins are unloaded at exit, before the leak check
// runs. What they still hold then looks leaked and cannot even be named, since
// their code is gone. Keeping every library loaded lets the check see those
// blocks as reachable, and name any real leak with a full stack.
extern "C" int dlclose(void*) { return 0; }

// Blocks that system libraries keep for the life of the process on purpose.
// Anything with one of our own frames still shows.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n"
           "leak:libwayland-client.so\n"
           "leak:libX11.so\n"
           "leak:libxcb.so\n";
}
