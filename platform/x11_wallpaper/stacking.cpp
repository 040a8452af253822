// X11 wallpaper backend: where its windows stand among the desktop's own.
// They are override-redirect: no window manager frames them (a frame would
// take the clicks their empty input shape lets through) and none stacks
// them. The program keeps them right above the highest desktop window of
// another program that paints its own background (the icons of a desktop
// program that always does are hidden, but its clicks still reach it), or
// at the very bottom where every desktop window lets what lies beneath show
// (the icons stay over the picture). Whatever raises a desktop window over
// them, a click or a focus change, they are put back as soon as the stack's
// events tell.
#include <X11/Xutil.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <deque>
#include <iterator>
#include <string>
#include <unordered_map>

#include "platform/x11/desktop.h"
#include "platform/x11/desktop_stack.h"
#include "platform/x11/stack_copy.h"
#include "platform/x11/see_through.h"
#include "platform/x11_wallpaper/x11_wallpaper_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

// A desktop program may change its background while it runs (its own
// settings, or a compositing manager started or stopped), and nothing tells:
// its looks are read when it is first seen, a second and three seconds
// later (it may map its window before it paints it), then every ten.
constexpr std::chrono::milliseconds kLookAfter[] = {std::chrono::milliseconds(1000), std::chrono::milliseconds(2000),
                                                    std::chrono::milliseconds(10000)};
// At least this share of the lines read clear: the window lets what lies
// beneath show around its icons.
constexpr double kSeeThroughShare = 0.5;
// Another program that keeps restacking the same windows would have the
// two of them answer each other for ever: past this many restacks in ten
// seconds (a click on the desktop costs one), the wallpaper lets the stack
// be for a while.
constexpr size_t kRestacksAllowed = 30;
constexpr auto kRestackSpan = std::chrono::seconds(10);
constexpr auto kRestackPause = std::chrono::seconds(5);

// True when DESKTOP covers a whole monitor of the outputs': a desktop
// program's window under its icons. A smaller desktop window (a system
// monitor or a clock on the desktop, as conky makes) is left above the
// picture, wherever it is.
bool checkCoversMonitor(const X11DesktopWindow& desktop) {
    for (const WallpaperOutput& output : wallpaperOutputs) {
        const X11Monitor& monitor = output.monitor;
        if (desktop.x <= monitor.x && desktop.y <= monitor.y &&
            desktop.x + desktop.width >= monitor.x + monitor.width &&
            desktop.y + desktop.height >= monitor.y + monitor.height) {
            return true;
        }
    }
    return false;
}

struct Looks {
    Clock::time_point next;
    int looked = 0;
    // Clear around its icons, and a compositing manager blends it.
    bool clear = false;
    bool blended = false;
};
std::unordered_map<Window, Looks> looks;
std::deque<Clock::time_point> restacks;
Clock::time_point pausedUntil;
bool pauseTold = false;
std::vector<std::string> told;

std::vector<Window> ourWindows() {
    std::vector<Window> ours;
    for (const WallpaperOutput& output : wallpaperOutputs) {
        ours.push_back(output.window);
    }
    return ours;
}

// What CLIENT, a desktop window, lets show of what lies beneath, reading
// its pixels when they are due.
const Looks& readLooks(Window client, Clock::time_point now) {
    auto [at, added] = looks.try_emplace(client);
    Looks& known = at->second;
    if (added || now >= known.next) {
        known.clear = readX11ClearShare(wallpaperDisplay, client) >= kSeeThroughShare;
        known.blended = checkX11Composited(wallpaperDisplay);
        int step = std::min(known.looked, static_cast<int>(std::size(kLookAfter)) - 1);
        known.next = now + kLookAfter[step];
        ++known.looked;
    }
    return known;
}

// The name of CLIENT's program, as its WM_CLASS gives its class in lower
// case (caja names its desktop window "desktop_window", of class "Caja");
// empty when it has none.
std::string readProgramName(Window client) {
    XClassHint hint = {};
    std::string name;
    if (XGetClassHint(wallpaperDisplay, client, &hint) != 0) {
        name = hint.res_class != nullptr ? hint.res_class : "";
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (hint.res_name != nullptr) {
            XFree(hint.res_name);
        }
        if (hint.res_class != nullptr) {
            XFree(hint.res_class);
        }
    }
    return name;
}

// Tells once a run, on standard output, whose icons the picture hides and
// what would keep them.
void tellHidden(Window client, const Looks& seen) {
    std::string name = readProgramName(client);
    for (const std::string& known : told) {
        if (known == name) {
            return;
        }
    }
    told.push_back(name);
    std::printf("%s\n", adviseX11DesktopProgram(name, seen.clear && !seen.blended,
                                                readX11WindowManagerName(wallpaperDisplay))
                             .c_str());
    std::fflush(stdout);
}

// True when the wallpaper may restack now; counts the restack.
bool allowRestack(Clock::time_point now) {
    if (now < pausedUntil) {
        return false;
    }
    while (!restacks.empty() && now - restacks.front() > kRestackSpan) {
        restacks.pop_front();
    }
    if (restacks.size() >= kRestacksAllowed) {
        pausedUntil = now + kRestackPause;
        restacks.clear();
        if (!pauseTold) {
            pauseTold = true;
            std::fprintf(stderr,
                         "Marivelle: another program keeps restacking the desktop's windows; the aquarium gives way "
                         "to it for 5 s at a time\n");
        }
        return false;
    }
    restacks.push_back(now);
    return true;
}

} // namespace

// KWin (Plasma) and mutter (GNOME, and Cinnamon's muffin) build their
// picture from the windows they manage, with override-redirect ones (menus,
// tooltips) over all of them; xfwm4's, marco's and xcompmgr's follow the
// server's stack.
bool checkManagerDrawsUnmanagedOnTop(const std::string& manager) {
    return manager == "kwin" || manager == "gnome shell" || manager.rfind("mutter", 0) == 0;
}

Window findWallpaperFloor() {
    Clock::time_point now = Clock::now();
    Window floor = None;
    Window floorClient = None;
    std::vector<X11DesktopWindow> desktops = findX11DesktopWindows(findX11OwnFrames(ourWindows()));
    for (const X11DesktopWindow& desktop : desktops) {
        if (!checkCoversMonitor(desktop)) {
            continue;
        }
        const Looks& seen = readLooks(desktop.client, now);
        if (!seen.clear || !seen.blended) {
            floor = desktop.frame;
            floorClient = desktop.client;
        }
    }
    // Windows gone are forgotten.
    for (auto at = looks.begin(); at != looks.end();) {
        bool shown = false;
        for (const X11DesktopWindow& desktop : desktops) {
            shown |= desktop.client == at->first;
        }
        at = shown ? std::next(at) : looks.erase(at);
    }
    if (floorClient != None) {
        tellHidden(floorClient, looks[floorClient]);
    }
    return floor;
}

bool keepWallpaperInPlace() {
    if (wallpaperOutputs.empty()) {
        return false;
    }
    Window floor = findWallpaperFloor();
    std::vector<Window> ours = ourWindows();
    // A managed output is not in the stack before its manager framed it.
    std::vector<Window> frames = findX11OwnFrames(ours);
    if (frames.size() != ours.size() || checkX11StackedOn(frames, floor) || !allowRestack(Clock::now())) {
        return false;
    }
    if (wallpaperManaged) {
        askX11StackedOn(wallpaperDisplay, ours, floor != None ? findCopiedClient(floor) : None);
    } else {
        stackX11On(wallpaperDisplay, ours, floor);
    }
    // The events of the restack arrive before the next look at the stack.
    XSync(wallpaperDisplay, False);
    return true;
}

bool checkWallpaperPlaceDue() {
    Clock::time_point now = Clock::now();
    if (pausedUntil != Clock::time_point{} && now >= pausedUntil) {
        pausedUntil = Clock::time_point{};
        return true;
    }
    for (const auto& [window, known] : looks) {
        if (now >= known.next) {
            return true;
        }
    }
    return false;
}

void forgetWallpaperStacking() {
    looks.clear();
    restacks.clear();
    pausedUntil = Clock::time_point{};
    pauseTold = false;
    told.clear();
}
