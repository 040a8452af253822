/* Lowers a window to the bottom of the stack, or asks the window manager to
 * maximise it (as its maximise button does) or make it fullscreen, and returns once the X server
 * has taken the request. With keep-lowest it acts as a program that wants
 * its window under all others, as another wallpaper tool would: it lowers
 * the window again whenever the stack changes, for SECONDS, then prints how
 * many times it did.
 * fullscreen asks for the window to fill its monitor, over any panel.
 * Usage: stack_window lower|maximise|fullscreen WINDOW_ID
 *        stack_window keep-lowest WINDOW_ID SECONDS */
#include <X11/Xlib.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now_seconds(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

/* Lowers WINDOW each time the root's children change order, until SECONDS
 * have passed; returns how many times. */
static long keep_lowest(Display* display, Window window, double seconds) {
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XLowerWindow(display, window);
    XSync(display, False);
    long lowered = 1;
    double end = now_seconds() + seconds;
    while (now_seconds() < end) {
        if (XPending(display) == 0) {
            struct pollfd watched = {ConnectionNumber(display), POLLIN, 0};
            poll(&watched, 1, 100);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        /* Another window went to the bottom, or ours left it. */
        if (event.type == ConfigureNotify && event.xconfigure.event == root &&
            ((event.xconfigure.window != window && event.xconfigure.above == None) ||
             (event.xconfigure.window == window && event.xconfigure.above != None))) {
            XLowerWindow(display, window);
            XFlush(display);
            ++lowered;
        }
    }
    return lowered;
}

int main(int argc, char** argv) {
    int keep = argc == 4 && strcmp(argv[1], "keep-lowest") == 0;
    if (!keep && (argc != 3 || (strcmp(argv[1], "lower") != 0 && strcmp(argv[1], "maximise") != 0 &&
                                strcmp(argv[1], "fullscreen") != 0))) {
        fprintf(stderr, "usage: stack_window lower|maximise|fullscreen WINDOW_ID | keep-lowest WINDOW_ID SECONDS\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "stack_window: cannot open the display\n");
        return 1;
    }
    Window window = (Window)strtoul(argv[2], NULL, 0);
    if (keep) {
        printf("%ld\n", keep_lowest(display, window, atof(argv[3])));
    } else if (strcmp(argv[1], "lower") == 0) {
        XLowerWindow(display, window);
    } else {
        XEvent event = {0};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = 1; /* add */
        if (strcmp(argv[1], "fullscreen") == 0) {
            event.xclient.data.l[1] = (long)XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
        } else {
            event.xclient.data.l[1] = (long)XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
            event.xclient.data.l[2] = (long)XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
        }
        event.xclient.data.l[3] = 1; /* from an application */
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
