/* Lowers a window to the bottom of the stack, or asks the window manager to
 * maximise it (as its maximise button does), and returns once the X server
 * has taken the request. Usage: stack_window lower|maximise WINDOW_ID */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc != 3 || (strcmp(argv[1], "lower") != 0 && strcmp(argv[1], "maximise") != 0)) {
        fprintf(stderr, "usage: stack_window lower|maximise WINDOW_ID\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "stack_window: cannot open the display\n");
        return 1;
    }
    Window window = (Window)strtoul(argv[2], NULL, 0);
    if (strcmp(argv[1], "lower") == 0) {
        XLowerWindow(display, window);
    } else {
        XEvent event = {0};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = 1; /* add */
        event.xclient.data.l[1] = (long)XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
        event.xclient.data.l[2] = (long)XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
        event.xclient.data.l[3] = 1; /* from an application */
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
