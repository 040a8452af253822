/* Makes and maps a top-level window whose visual has exactly STENCIL stencil
 * bits (an OpenGL visual, as a screensaver daemon picks one), or with
 * "argb" a 32-bit visual with an alpha channel, prints its id and keeps it
 * until killed or the server ends: a window for the program to draw into, or
 * to cover the program's own. Given X and Y, the window asks the window
 * manager for that place and no frame, so that it lies exactly there.
 * Usage: make_window STENCIL|argb WIDTH HEIGHT [X Y] */
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The 32-bit visual, as compositing managers expect translucent windows. */
static XVisualInfo* find_argb_visual(Display* display, int screen) {
    XVisualInfo* info = malloc(sizeof *info);
    if (!XMatchVisualInfo(display, screen, 32, TrueColor, info)) {
        free(info);
        return NULL;
    }
    return info;
}

static XVisualInfo* find_stencil_visual(Display* display, int screen, int stencil) {
    int count = 0;
    int wanted[] = {GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_DOUBLEBUFFER, True,
                    GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, GLX_X_RENDERABLE, True, None};
    GLXFBConfig* configs = glXChooseFBConfig(display, screen, wanted, &count);
    XVisualInfo* chosen = NULL;
    for (int i = 0; i < count && chosen == NULL; ++i) {
        int bits = -1, depth = 0;
        glXGetFBConfigAttrib(display, configs[i], GLX_STENCIL_SIZE, &bits);
        glXGetFBConfigAttrib(display, configs[i], GLX_DEPTH_SIZE, &depth);
        XVisualInfo* info = glXGetVisualFromFBConfig(display, configs[i]);
        if (bits == stencil && info != NULL && info->depth == 24) {
            chosen = info;
        } else if (info != NULL) {
            XFree(info);
        }
    }
    return chosen;
}

int main(int argc, char** argv) {
    if (argc != 4 && argc != 6) {
        fprintf(stderr, "usage: make_window STENCIL|argb WIDTH HEIGHT [X Y]\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "make_window: cannot open the display\n");
        return 1;
    }
    int screen = DefaultScreen(display);
    int argb = strcmp(argv[1], "argb") == 0;
    XVisualInfo* chosen =
        argb ? find_argb_visual(display, screen) : find_stencil_visual(display, screen, atoi(argv[1]));
    if (chosen == NULL) {
        fprintf(stderr, "make_window: no visual %s %s\n", argb ? "of 32 bits" : "with stencil bits", argv[1]);
        return 1;
    }
    Window root = RootWindow(display, screen);
    XSetWindowAttributes attributes;
    attributes.colormap = XCreateColormap(display, root, chosen->visual, AllocNone);
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    int x = argc == 6 ? atoi(argv[4]) : 0;
    int y = argc == 6 ? atoi(argv[5]) : 0;
    Window window = XCreateWindow(display, root, x, y, atoi(argv[2]), atoi(argv[3]), 0, chosen->depth, InputOutput,
                                  chosen->visual, CWColormap | CWBackPixel | CWBorderPixel, &attributes);
    XStoreName(display, window, "make_window");
    if (argc == 6) {
        XSizeHints hints = {.flags = USPosition | USSize, .x = x, .y = y};
        XSetWMNormalHints(display, window, &hints);
        /* Motif's hints, which window managers still read: no decorations. */
        long motif[5] = {2, 0, 0, 0, 0};
        Atom name = XInternAtom(display, "_MOTIF_WM_HINTS", False);
        XChangeProperty(display, window, name, name, 32, PropModeReplace, (unsigned char*)motif, 5);
    }
    XMapWindow(display, window);
    XSync(display, False);
    printf("0x%lx\n", (unsigned long)window);
    fflush(stdout);
    /* Reading events keeps the connection watched: when the server goes,
     * Xlib ends this process too. */
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
    }
}
