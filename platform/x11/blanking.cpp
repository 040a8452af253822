#include "platform/x11/blanking.h"

#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

#include <chrono>

#include "platform/x11/errors.h"

namespace {

using Clock = std::chrono::steady_clock;

// How often the power state is asked: a monitor takes seconds to wake.
constexpr auto kPowerCheckPause = std::chrono::seconds(2);

struct BlankWatch {
    Display* display = nullptr;
    int saverEventBase = -1;
    bool saverOn = false;
    bool powerCapable = false;
    bool poweredDown = false;
    Clock::time_point powerCheckedAt;
};
BlankWatch watch;

// Asks the server for the monitor's power state now.
void readPower() {
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    bool read = false;
    bool failed =
        checkX11RequestsFail(watch.display, 0, [&] { read = DPMSInfo(watch.display, &level, &enabled) != 0; });
    watch.poweredDown = !failed && read && decideX11PoweredDown(watch.powerCapable, enabled != False, level);
    watch.powerCheckedAt = Clock::now();
}

} // namespace

bool decideX11SaverBlanks(int state) { return state == ScreenSaverOn || state == ScreenSaverCycle; }

bool decideX11PoweredDown(bool capable, bool enabled, int level) {
    return capable && enabled && level != DPMSModeOn;
}

void startX11BlankWatch(Display* display) {
    watch = BlankWatch{};
    watch.display = display;
    Window root = DefaultRootWindow(display);
    int errorBase = 0;
    if (XScreenSaverQueryExtension(display, &watch.saverEventBase, &errorBase)) {
        // Selected before the state is read: a change in between is heard.
        checkX11RequestsFail(display, 0, [&] {
            XScreenSaverSelectInput(display, root, ScreenSaverNotifyMask);
            XScreenSaverInfo* info = XScreenSaverAllocInfo();
            if (info != nullptr && XScreenSaverQueryInfo(display, root, info) != 0) {
                watch.saverOn = decideX11SaverBlanks(info->state);
            }
            if (info != nullptr) {
                XFree(info);
            }
        });
    } else {
        watch.saverEventBase = -1;
    }
    int eventBase = 0;
    // Asked only where the server has the extension: Xlib prints a line of
    // its own for a request to one it lacks.
    watch.powerCapable = DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display);
    if (watch.powerCapable) {
        readPower();
    }
}

bool noteX11BlankEvent(Display* display, const XEvent& event) {
    if (display != watch.display || watch.saverEventBase < 0 ||
        event.type != watch.saverEventBase + ScreenSaverNotify) {
        return false;
    }
    watch.saverOn = decideX11SaverBlanks(reinterpret_cast<const XScreenSaverNotifyEvent&>(event).state);
    return true;
}

bool checkX11ScreenBlank(Display* display, bool saverCounts) {
    if (display != watch.display) {
        startX11BlankWatch(display);
    }
    if (watch.powerCapable && Clock::now() - watch.powerCheckedAt >= kPowerCheckPause) {
        readPower();
    }
    return (saverCounts && watch.saverOn) || watch.poweredDown;
}
