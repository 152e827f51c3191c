// Stands in for a screensaver daemon in tests:
//   tm_xwindow_helper create W H     maps a magenta W x H window at 0,0, prints
//                                    its id, lives until killed
//   tm_xwindow_helper resize ID W H
//   tm_xwindow_helper grab ID FILE   what the screen shows where the window is,
//                                    as a binary PPM

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "tm_xwindow_helper: %s\n", what);
    return 1;
}

int Create(Display* d, int w, int h) {
    XSetWindowAttributes a{};
    a.background_pixel = 0xff00ff;
    a.override_redirect = True;  // placed exactly, with or without a window manager
    const Window win = XCreateWindow(d, DefaultRootWindow(d), 0, 0, w, h, 0, CopyFromParent, InputOutput,
                                     CopyFromParent, CWBackPixel | CWOverrideRedirect, &a);
    XMapRaised(d, win);
    XSync(d, False);
    std::printf("0x%lx\n", win);
    std::fflush(stdout);
    for (;;) pause();
}

int Grab(Display* d, Window win, const char* file) {
    XWindowAttributes at;
    if (!XGetWindowAttributes(d, win, &at)) return Fail("no such window");
    const Window root = DefaultRootWindow(d);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(d, win, root, 0, 0, &x, &y, &child);
    // Read from the root: what the screen shows, child windows included.
    XImage* image = XGetImage(d, root, x, y, at.width, at.height, AllPlanes, ZPixmap);
    FILE* out = image ? std::fopen(file, "wb") : nullptr;
    if (!out) return Fail("cannot read the screen or write the picture");
    std::fprintf(out, "P6\n%d %d\n255\n", at.width, at.height);
    for (int row = 0; row < at.height; ++row)
        for (int col = 0; col < at.width; ++col) {
            const unsigned long p = XGetPixel(image, col, row);
            const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
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
    const Window id = argc > 2 ? std::strtoul(argv[2], nullptr, 0) : 0;
    if (cmd == "create" && argc == 4) return Create(d, std::atoi(argv[2]), std::atoi(argv[3]));
    if (cmd == "resize" && argc == 5) {
        XResizeWindow(d, id, std::atoi(argv[3]), std::atoi(argv[4]));
        XSync(d, False);
        return 0;
    }
    if (cmd == "grab" && argc == 4) return Grab(d, id, argv[3]);
    return Fail("usage: create W H | resize ID W H | grab ID FILE");
}
