/* Makes one plain X window of the given size at the top left, prints its id
   and keeps it until killed, the way a screensaver settings dialog holds the
   window its preview draws into.
     plainwindow WIDTH HEIGHT */
#include <X11/Xlib.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: plainwindow WIDTH HEIGHT\n");
        return 2;
    }
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "plainwindow: no X display\n");
        return 1;
    }
    XSetWindowAttributes a = {0};
    a.background_pixel = BlackPixel(d, DefaultScreen(d));
    a.override_redirect = True; /* placed exactly, with or without a window manager */
    const Window w = XCreateWindow(d, DefaultRootWindow(d), 0, 0, atoi(argv[1]), atoi(argv[2]),
                                   0, CopyFromParent, InputOutput, CopyFromParent,
                                   CWBackPixel | CWOverrideRedirect, &a);
    XMapRaised(d, w);
    XSync(d, False);
    printf("0x%lx\n", (unsigned long)w);
    fflush(stdout);
    for (;;) pause();
}
