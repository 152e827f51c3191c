// Stands in for a screensaver daemon in tests: makes plain X windows, resizes
// them and reads back what is on screen.
//
//   tm_xwindow_helper create W H    maps a W x H window at 0,0 with a magenta
//                                   background, prints its id, lives until
//                                   killed
//   tm_xwindow_helper resize ID W H
//   tm_xwindow_helper grab ID FILE  the screen area the window covers (ID root:
//                                   the whole screen) as a binary PPM

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "tm_xwindow_helper: %s\n", what);
    return 1;
}

int Create(Display* d, int w, int h) {
    const int screen = DefaultScreen(d);
    XSetWindowAttributes a{};
    a.background_pixel = 0xff00ff;
    a.override_redirect = True;  // placed exactly, with or without a window manager
    const Window win = XCreateWindow(d, RootWindow(d, screen), 0, 0, w, h, 0, CopyFromParent,
                                     InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &a);
    XMapRaised(d, win);
    XSync(d, False);
    std::printf("0x%lx\n", win);
    std::fflush(stdout);
    // The window lives until the test ends this process.
    for (;;) pause();
}

int Grab(Display* d, Window win, const char* file) {
    const Window root = DefaultRootWindow(d);
    int x = 0, y = 0;
    unsigned w = 0, h = 0;
    if (win == root) {
        w = DisplayWidth(d, DefaultScreen(d));
        h = DisplayHeight(d, DefaultScreen(d));
    } else {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(d, win, &attributes)) return Fail("no such window");
        Window child;
        XTranslateCoordinates(d, win, root, 0, 0, &x, &y, &child);
        w = attributes.width;
        h = attributes.height;
    }
    // Read from the root: what the screen shows, child windows included.
    XImage* image = XGetImage(d, root, x, y, w, h, AllPlanes, ZPixmap);
    if (!image) return Fail("cannot read the screen");
    FILE* out = std::fopen(file, "wb");
    if (!out) return Fail("cannot write the picture");
    std::fprintf(out, "P6\n%u %u\n255\n", w, h);
    for (unsigned row = 0; row < h; ++row)
        for (unsigned col = 0; col < w; ++col) {
            const unsigned long p = XGetPixel(image, col, row);
            const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                          static_cast<unsigned char>(p >> 8),
                                          static_cast<unsigned char>(p)};
            std::fwrite(rgb, 1, 3, out);
        }
    std::fclose(out);
    XDestroyImage(image);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return Fail("no display");
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "create" && argc == 4) return Create(d, std::atoi(argv[2]), std::atoi(argv[3]));
    if (cmd == "resize" && argc == 5) {
        XResizeWindow(d, std::strtoul(argv[2], nullptr, 0), std::atoi(argv[3]), std::atoi(argv[4]));
        XSync(d, False);
        return 0;
    }
    if (cmd == "grab" && argc == 4) {
        const Window win = std::strcmp(argv[2], "root") == 0 ? DefaultRootWindow(d)
                                                              : std::strtoul(argv[2], nullptr, 0);
        return Grab(d, win, argv[3]);
    }
    return Fail("usage: create W H | resize ID W H | grab ID|root FILE");
}
