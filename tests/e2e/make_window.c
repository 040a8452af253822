/* Makes and maps a top-level window whose visual has exactly STENCIL stencil
 * bits (an OpenGL visual, as a screensaver daemon picks one), prints its id
 * and keeps it until killed or the server ends: a window for the program to
 * draw into.
 * Usage: make_window STENCIL WIDTH HEIGHT */
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: make_window STENCIL WIDTH HEIGHT\n");
        return 2;
    }
    int stencil = atoi(argv[1]);
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "make_window: cannot open the display\n");
        return 1;
    }
    int screen = DefaultScreen(display);
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
    if (chosen == NULL) {
        fprintf(stderr, "make_window: no visual with %d stencil bits\n", stencil);
        return 1;
    }
    Window root = RootWindow(display, screen);
    XSetWindowAttributes attributes;
    attributes.colormap = XCreateColormap(display, root, chosen->visual, AllocNone);
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    Window window = XCreateWindow(display, root, 0, 0, atoi(argv[2]), atoi(argv[3]), 0, chosen->depth, InputOutput,
                                  chosen->visual, CWColormap | CWBackPixel | CWBorderPixel, &attributes);
    XStoreName(display, window, "make_window");
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
