#include "platform/x11_desktop.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/x11_support.h"

namespace {

// A wallpaper that was told to end is given this long to go.
constexpr int kEndSeconds = 30;

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }

// The display's one-wallpaper claim is a selection named for the screen, as
// ICCCM's manager selections are: the server drops it with its owner's
// connection, however the owner ended.
Atom findClaimAtom(Display* display) {
    char name[64];
    std::snprintf(name, sizeof name, "_MARIVELLE_WALLPAPER_S%d", DefaultScreen(display));
    return atom(display, name);
}

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

// True once WINDOW is gone from the display, waiting at most SECONDS.
bool waitForWindowGone(Display* display, Window window, int seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (true) {
        XEvent event;
        if (XCheckTypedWindowEvent(display, window, DestroyNotify, &event)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return !checkX11WindowExists(display, window);
        }
        pollfd connection = {ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 50);
    }
}

// Follows the claim's owner from now on, so its end can be waited for; false
// when it is already gone.
bool followOwner(Display* display, Window owner) {
    return !checkX11RequestsFail(display, owner, [&] { XSelectInput(display, owner, StructureNotifyMask); });
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
        // SDL asks for output changes on the same connection: a second call
        // replaces the first, so ask for both.
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

bool checkX11DesktopWindowsManaged(Display* display) {
    if (!checkX11WindowManagerRuns(display)) {
        return false;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    bool listed = false;
    Atom desktop = atom(display, "_NET_WM_WINDOW_TYPE_DESKTOP");
    if (XGetWindowProperty(display, DefaultRootWindow(display), atom(display, "_NET_SUPPORTED"), 0, 4096, False,
                           XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        type == XA_ATOM && format == 32 && data != nullptr) {
        const unsigned long* atoms = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            listed |= atoms[i] == desktop;
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return listed;
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

bool claimX11Wallpaper(Display* display, Window owner, char* why, size_t size) {
    Atom claim = findClaimAtom(display);
    Window previous = XGetSelectionOwner(display, claim);
    bool waitFor = previous != None && followOwner(display, previous);
    XSetSelectionOwner(display, claim, owner, CurrentTime);
    if (XGetSelectionOwner(display, claim) != owner) {
        std::snprintf(why, size, "cannot claim the display's wallpaper: the X server kept it for another");
        return false;
    }
    if (waitFor && !waitForWindowGone(display, previous, kEndSeconds)) {
        std::snprintf(why, size, "the wallpaper that ran before did not end within %d seconds", kEndSeconds);
        return false;
    }
    return true;
}

bool checkX11WallpaperTaken(Display* display, Window owner, const XEvent& event) {
    return event.type == SelectionClear && event.xselectionclear.window == owner &&
           event.xselectionclear.selection == findClaimAtom(display);
}

int stopX11Wallpaper(char* why, size_t size) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::snprintf(why, size, "cannot open the X display (DISPLAY is not set or cannot be opened)");
        return -1;
    }
    Atom claim = findClaimAtom(display);
    Window running = XGetSelectionOwner(display, claim);
    int result = 0;
    if (running != None && followOwner(display, running)) {
        // Taking the claim is how a wallpaper is told to end, whoever takes it.
        XSetWindowAttributes attributes = {};
        attributes.override_redirect = True;
        Window taker = XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, 0, InputOnly,
                                     CopyFromParent, CWOverrideRedirect, &attributes);
        XSetSelectionOwner(display, claim, taker, CurrentTime);
        result = 1;
        if (!waitForWindowGone(display, running, kEndSeconds)) {
            std::snprintf(why, size, "the wallpaper did not end within %d seconds", kEndSeconds);
            result = -1;
        }
    }
    XCloseDisplay(display);
    return result;
}
