#include "platform/x11/see_through.h"

#include <X11/Xutil.h>

#include <cstdio>

#include "platform/x11/errors.h"

bool checkX11Composited(Display* display) {
    char name[32];
    std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(display));
    return XGetSelectionOwner(display, XInternAtom(display, name, False)) != None;
}

double readX11ClearShare(Display* display, Window window) {
    long clear = 0;
    long read = 0;
    checkX11RequestsFail(display, window, [&] {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, window, &attributes) == 0 || attributes.depth != 32 ||
            attributes.map_state != IsViewable || attributes.width <= 0 || attributes.height <= 0) {
            return;
        }
        const Visual* visual = attributes.visual;
        unsigned long alpha = 0xffffffffUL & ~(visual->red_mask | visual->green_mask | visual->blue_mask);
        if (alpha == 0) {
            return;
        }
        for (int line : {attributes.height / 2, attributes.height * 3 / 4}) {
            XImage* image = XGetImage(display, window, 0, line, static_cast<unsigned>(attributes.width), 1, AllPlanes,
                                      ZPixmap);
            if (image == nullptr) {
                continue;
            }
            for (int x = 0; x < image->width; ++x) {
                clear += (XGetPixel(image, x, 0) & alpha) != alpha ? 1 : 0;
            }
            read += image->width;
            XDestroyImage(image);
        }
    });
    return read > 0 ? static_cast<double>(clear) / static_cast<double>(read) : 0.0;
}
