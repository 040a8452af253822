#include "platform/x11/desktop.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

#include "platform/x11/errors.h"
#include "platform/x11/window_facts.h"

namespace {

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }

void setAtoms(Display* display, Window window, const char* property, const char* const* names, int count) {
    Atom values[8];
    for (int i = 0; i < count; ++i) {
        values[i] = atom(display, names[i]);
    }
    XChangeProperty(display, window, atom(display, property), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(values), count);
}

void setCardinal(Display* display, Window window, const char* property, unsigned long value) {
    XChangeProperty(display, window, atom(display, property), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
}

void setNames(Display* display, Window window) {
    const char title[] = "Marivelle wallpaper";
    XStoreName(display, window, title);
    XChangeProperty(display, window, atom(display, "_NET_WM_NAME"), atom(display, "UTF8_STRING"), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(title), sizeof title - 1);
    char resName[] = "marivelle-wallpaper";
    char resClass[] = "Marivelle";
    XClassHint classHint = {resName, resClass};
    XSetClassHint(display, window, &classHint);
    // _NET_WM_PID means something only beside the machine's name.
    char host[256] = "";
    if (gethostname(host, sizeof host - 1) == 0) {
        char* hosts[] = {host};
        XTextProperty machine;
        if (XStringListToTextProperty(hosts, 1, &machine) != 0) {
            XSetWMClientMachine(display, window, &machine);
            XFree(machine.value);
        }
    }
    setCardinal(display, window, "_NET_WM_PID", static_cast<unsigned long>(getpid()));
}

} // namespace

std::vector<X11Monitor> readX11Monitors(Display* display) {
    std::vector<X11Monitor> monitors;
    int eventBase = 0;
    int errorBase = 0;
    if (XineramaQueryExtension(display, &eventBase, &errorBase) && XineramaIsActive(display)) {
        int count = 0;
        XineramaScreenInfo* screens = XineramaQueryScreens(display, &count);
        for (int i = 0; i < count; ++i) {
            X11Monitor monitor = {screens[i].x_org, screens[i].y_org, screens[i].width, screens[i].height};
            bool repeated = false;
            for (const X11Monitor& known : monitors) {
                repeated |= std::memcmp(&known, &monitor, sizeof monitor) == 0;
            }
            if (!repeated && monitor.width > 0 && monitor.height > 0) {
                monitors.push_back(monitor);
            }
        }
        if (screens != nullptr) {
            XFree(screens);
        }
    }
    if (monitors.empty()) {
        Screen* screen = DefaultScreenOfDisplay(display);
        monitors.push_back({0, 0, WidthOfScreen(screen), HeightOfScreen(screen)});
    }
    return monitors;
}

void watchX11Monitors(Display* display) {
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, root, &attributes) != 0) {
        XSelectInput(display, root, attributes.your_event_mask | StructureNotifyMask);
    }
    int eventBase = 0;
    int errorBase = 0;
    if (XRRQueryExtension(display, &eventBase, &errorBase)) {
        // A second call would replace this one: everything at once.
        XRRSelectInput(display, root, RRScreenChangeNotifyMask | RROutputChangeNotifyMask | RRCrtcChangeNotifyMask);
    }
}

bool checkX11MonitorEvent(Display* display, const XEvent& event) {
    if (event.type == ConfigureNotify && event.xconfigure.window == DefaultRootWindow(display)) {
        return true;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) {
        return false;
    }
    if (event.type == eventBase + RRScreenChangeNotify) {
        XEvent copy = event;
        XRRUpdateConfiguration(&copy);
        return true;
    }
    return event.type == eventBase + RRNotify;
}

std::string readX11WindowManagerName(Display* display) {
    std::string name;
    checkX11RequestsFail(display, 0, [&] {
        Atom check = atom(display, "_NET_SUPPORTING_WM_CHECK");
        std::vector<unsigned long> manager = readX11Longs(display, DefaultRootWindow(display), check, XA_WINDOW, 1);
        // A stale property left by a manager that quit names a window that
        // does not name itself.
        if (manager.empty() || readX11Longs(display, manager[0], check, XA_WINDOW, 1) != manager) {
            return;
        }
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, manager[0], atom(display, "_NET_WM_NAME"), 0, 64, False,
                               atom(display, "UTF8_STRING"), &type, &format, &count, &after, &data) == Success &&
            format == 8 && data != nullptr) {
            name.assign(reinterpret_cast<const char*>(data), count);
        }
        if (data != nullptr) {
            XFree(data);
        }
    });
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

Colormap makeX11Colormap(Display* display, Visual* visual) {
    Window root = DefaultRootWindow(display);
    if (visual->c_class != DirectColor || visual->map_entries < 2) {
        return XCreateColormap(display, root, visual, AllocNone);
    }
    Colormap colormap = XCreateColormap(display, root, visual, AllocAll);
    auto shiftOf = [](unsigned long mask) {
        int shift = 0;
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++shift;
        }
        return shift;
    };
    int shifts[3] = {shiftOf(visual->red_mask), shiftOf(visual->green_mask), shiftOf(visual->blue_mask)};
    unsigned long masks[3] = {visual->red_mask >> shifts[0], visual->green_mask >> shifts[1],
                              visual->blue_mask >> shifts[2]};
    int count = visual->map_entries;
    std::vector<XColor> ramp(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        XColor& colour = ramp[static_cast<size_t>(i)];
        unsigned short level = static_cast<unsigned short>(65535L * i / (count - 1));
        colour.red = colour.green = colour.blue = level;
        colour.pixel = 0;
        for (int c = 0; c < 3; ++c) {
            colour.pixel |= (masks[c] * static_cast<unsigned long>(i) / static_cast<unsigned long>(count - 1))
                            << shifts[c];
        }
        colour.flags = DoRed | DoGreen | DoBlue;
    }
    XStoreColors(display, colormap, ramp.data(), count);
    return colormap;
}

Window makeX11DesktopWindow(Display* display, Visual* visual, int depth, Colormap colormap, const X11Monitor& monitor,
                            bool override) {
    Window root = DefaultRootWindow(display);
    XSetWindowAttributes attributes = {};
    attributes.colormap = colormap;
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.override_redirect = override ? True : False;
    attributes.event_mask = StructureNotifyMask | VisibilityChangeMask | ExposureMask;
    Window window = XCreateWindow(display, root, monitor.x, monitor.y, static_cast<unsigned>(monitor.width),
                                  static_cast<unsigned>(monitor.height), 0, depth, InputOutput, visual,
                                  CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask,
                                  &attributes);
    if (window == 0) {
        return 0;
    }
    setNames(display, window);
    const char* const type[] = {"_NET_WM_WINDOW_TYPE_DESKTOP"};
    setAtoms(display, window, "_NET_WM_WINDOW_TYPE", type, 1);
    const char* const state[] = {"_NET_WM_STATE_BELOW", "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR",
                                 "_NET_WM_STATE_SKIP_PAGER"};
    setAtoms(display, window, "_NET_WM_STATE", state, 4);
    setCardinal(display, window, "_NET_WM_DESKTOP", 0xffffffffUL);
    // A compositing manager may hand a window that fills the screen the
    // screen itself, with nothing composited over it (xfwm4 does so for
    // override-redirect ones): the windows above would vanish.
    setCardinal(display, window, "_NET_WM_BYPASS_COMPOSITOR", 2);
    XWMHints hints = {};
    hints.flags = InputHint | StateHint;
    hints.input = False;
    hints.initial_state = NormalState;
    XSetWMHints(display, window, &hints);
    // An empty input shape: the pointer sees through to the desktop below.
    XShapeCombineRectangles(display, window, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    return window;
}

void placeX11DesktopWindow(Display* display, Window window, const X11Monitor& monitor) {
    XMoveResizeWindow(display, window, monitor.x, monitor.y, static_cast<unsigned>(monitor.width),
                      static_cast<unsigned>(monitor.height));
}
