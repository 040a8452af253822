/* Makes and maps a top-level window whose visual has exactly STENCIL stencil
 * bits (an OpenGL visual, as a screensaver daemon picks one), or with
 * "argb" a 32-bit visual with an alpha channel, prints its id and keeps it
 * until killed or the server ends: a window for the program to draw into, or
 * to cover the program's own. Given X and Y, the window asks the window
 * manager for that place and no frame, so that it lies exactly there.
 * --override makes it override-redirect, as a screen locker's: no window
 * manager touches it. --holes shapes it into bars 10 pixels high with gaps
 * of 10 between them, through which what is under it shows.
 * Usage: make_window [--override] [--holes] STENCIL|argb WIDTH HEIGHT [X Y] */
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
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

/* Cuts WINDOW of WIDTH x HEIGHT into bars with gaps between them. */
static void cut_holes(Display* display, Window window, int width, int height) {
    int count = (height + 19) / 20;
    XRectangle* bars = calloc((size_t)count, sizeof *bars);
    for (int i = 0; i < count; ++i) {
        bars[i].x = 0;
        bars[i].y = (short)(i * 20);
        bars[i].width = (unsigned short)width;
        bars[i].height = 10;
    }
    XShapeCombineRectangles(display, window, ShapeBounding, 0, 0, bars, count, ShapeSet, YXBanded);
    free(bars);
}

int main(int argc, char** argv) {
    int override = 0, holes = 0;
    while (argc > 1 && strncmp(argv[1], "--", 2) == 0) {
        if (strcmp(argv[1], "--override") == 0) {
            override = 1;
        } else if (strcmp(argv[1], "--holes") == 0) {
            holes = 1;
        } else {
            break;
        }
        ++argv;
        --argc;
    }
    if (argc != 4 && argc != 6) {
        fprintf(stderr, "usage: make_window [--override] [--holes] STENCIL|argb WIDTH HEIGHT [X Y]\n");
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
    attributes.override_redirect = override ? True : False;
    int x = argc == 6 ? atoi(argv[4]) : 0;
    int y = argc == 6 ? atoi(argv[5]) : 0;
    Window window = XCreateWindow(display, root, x, y, atoi(argv[2]), atoi(argv[3]), 0, chosen->depth, InputOutput,
                                  chosen->visual, CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect,
                                  &attributes);
    if (holes) {
        cut_holes(display, window, atoi(argv[2]), atoi(argv[3]));
    }
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
