/* A plain X window of a given size, like the screensaver daemon's preview:
   prints its id (decimal) and keeps it until killed.
     plainwin WIDTH HEIGHT */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    Display* d = XOpenDisplay(NULL);
    if (!d) return 1;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, atoi(argv[1]),
                                         atoi(argv[2]), 0, 0, 0);
    XMapWindow(d, w);
    XSync(d, False);
    printf("%lu\n", (unsigned long)w);
    fflush(stdout);
    for (;;) pause();
}
