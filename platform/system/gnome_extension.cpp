#include "platform/system/gnome_extension.h"

#include "platform/system/session_bus.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

constexpr const char* kUuid = "marivelle@marivelle.example";
constexpr const char* kShellName = "org.gnome.Shell";
// The shell itself answers for its extensions; the separate service named
// org.gnome.Shell.Extensions is the Extensions app's, and may not run.
constexpr const char* kExtensionsName = "org.gnome.Shell";
constexpr const char* kExtensionsPath = "/org/gnome/Shell";
constexpr const char* kExtensionsInterface = "org.gnome.Shell.Extensions";

// The shell answers EnableExtension and DisableExtension at once and
// switches the extension afterwards, from its own main loop.
constexpr auto kSwitchWait = std::chrono::seconds(5);
constexpr auto kSwitchPoll = std::chrono::milliseconds(100);

// The states GetExtensionInfo reports, as GNOME Shell numbers them.
constexpr int kEnabled = 1;
constexpr int kDisabled = 2;
constexpr int kError = 3;
constexpr int kOutOfDate = 4;
constexpr int kUninstalled = 99;

using Message = SessionMessage;

// What GetExtensionInfo says of the aquarium's extension.
struct ExtensionInfo {
    bool installed = false;
    int state = 0;
    std::string error;
};

std::string notInstalledLine() {
    return std::string("the aquarium's GNOME Shell extension (") + kUuid +
           ") is not installed: install the marivelle package, then log out and in again";
}

// STATE in words, for a line that says where the extension was left.
std::string stateWords(int state) {
    switch (state) {
    case kEnabled: return "on";
    case kDisabled: return "off";
    case kError: return "in error";
    case kOutOfDate: return "out of date";
    case 6: return "loaded but not started";
    case 7: return "still being turned off";
    case 8: return "still being turned on";
    default: return "in state " + std::to_string(state);
    }
}

// The line that stops the switch before it is asked for, given what the
// shell reports of the extension and whether the user allows extensions at
// all (read only for ON; pass true otherwise); empty when it may go ahead.
std::string refusalBefore(bool on, const ExtensionInfo& info, bool userExtensionsOn) {
    if (!info.installed) {
        return notInstalledLine();
    }
    if (!on) {
        return info.state == kEnabled ? "" : "the aquarium's GNOME Shell extension is not on";
    }
    if (!userExtensionsOn) {
        return "GNOME has user extensions turned off: turn them on in the \"Extensions\" app or with "
               "`gsettings set org.gnome.shell disable-user-extensions false`";
    }
    if (info.state == kOutOfDate) {
        return std::string("the aquarium's GNOME Shell extension (") + kUuid +
               ") is out of date for this GNOME Shell version: install the marivelle package made for it";
    }
    return "";
}

// The line that says why the switch to ON (on) or off did not take, given
// what the shell reports once it had time to switch; empty when it took.
std::string failureAfter(bool on, const ExtensionInfo& info) {
    if (!info.installed) {
        return notInstalledLine();
    }
    if (info.state == (on ? kEnabled : kDisabled)) {
        return "";
    }
    if (info.state == kError) {
        return "GNOME Shell reports an error in the aquarium's extension: " +
               (info.error.empty() ? std::string("it gave no details") : info.error);
    }
    return std::string("GNOME Shell did not turn the aquarium's extension ") + (on ? "on" : "off") +
           ": it is " + stateWords(info.state);
}

// Sends CALL to the shell and waits for its answer, in *REPLY. False with
// *LINE saying why when the shell does not answer or answers an error.
bool send(sd_bus* bus, sd_bus_message* call, Message* reply, std::string* line) {
    return callOnSessionBus(bus, call, "GNOME Shell", reply, line);
}

// A new call of METHOD on the shell's extensions interface with the
// extension's UUID as its argument; null when it cannot be made.
Message newExtensionCall(sd_bus* bus, const char* method) {
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus, &call, kExtensionsName, kExtensionsPath, kExtensionsInterface, method) < 0) {
        return nullptr;
    }
    Message owned(call);
    if (sd_bus_message_append(call, "s", kUuid) < 0) {
        return nullptr;
    }
    return owned;
}

// Reads the value of one a{sv} entry whose key was just read: the state and
// the error text are kept, anything else is passed over.
int readInfoValue(sd_bus_message* reply, const char* key, ExtensionInfo* info) {
    const char* contents = nullptr;
    int r = sd_bus_message_peek_type(reply, nullptr, &contents);
    if (r < 0) {
        return r;
    }
    if (std::strcmp(key, "state") == 0 && std::strcmp(contents, "d") == 0) {
        double state = 0;
        r = sd_bus_message_read(reply, "v", "d", &state);
        info->state = static_cast<int>(state);
        return r;
    }
    if (std::strcmp(key, "error") == 0 && std::strcmp(contents, "s") == 0) {
        const char* text = nullptr;
        r = sd_bus_message_read(reply, "v", "s", &text);
        if (r >= 0) {
            info->error = text;
        }
        return r;
    }
    return sd_bus_message_skip(reply, "v");
}

// Parses GetExtensionInfo's a{sv} answer into *INFO; negative on a
// malformed answer.
int parseInfo(sd_bus_message* reply, ExtensionInfo* info) {
    *info = ExtensionInfo();
    int r = sd_bus_message_enter_container(reply, 'a', "{sv}");
    if (r < 0) {
        return r;
    }
    bool any = false;
    while ((r = sd_bus_message_enter_container(reply, 'e', "sv")) > 0) {
        const char* key = nullptr;
        if ((r = sd_bus_message_read(reply, "s", &key)) < 0 || (r = readInfoValue(reply, key, info)) < 0 ||
            (r = sd_bus_message_exit_container(reply)) < 0) {
            return r;
        }
        any = true;
    }
    if (r < 0) {
        return r;
    }
    // An extension the shell does not know is an empty dictionary; one
    // removed while the shell runs is still listed, as uninstalled.
    info->installed = any && info->state != kUninstalled;
    return sd_bus_message_exit_container(reply);
}

// Asks the shell about the extension, into *INFO. False with *LINE when it
// cannot tell.
bool readInfo(sd_bus* bus, ExtensionInfo* info, std::string* line) {
    Message call = newExtensionCall(bus, "GetExtensionInfo");
    Message reply;
    if (!call) {
        *line = "cannot ask GNOME Shell about its extensions";
        return false;
    }
    if (!send(bus, call.get(), &reply, line)) {
        return false;
    }
    if (parseInfo(reply.get(), info) < 0) {
        *line = "GNOME Shell's answer to GetExtensionInfo cannot be read";
        return false;
    }
    return true;
}

// Reads the shell's UserExtensionsEnabled property into *ON. False with
// *LINE when it cannot.
bool readUserExtensionsOn(sd_bus* bus, bool* on, std::string* line) {
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus, &raw, kExtensionsName, kExtensionsPath, "org.freedesktop.DBus.Properties",
                                       "Get") < 0) {
        *line = "cannot ask GNOME Shell whether user extensions are on";
        return false;
    }
    Message call(raw);
    Message reply;
    if (sd_bus_message_append(raw, "ss", kExtensionsInterface, "UserExtensionsEnabled") < 0) {
        *line = "cannot ask GNOME Shell whether user extensions are on";
        return false;
    }
    if (!send(bus, raw, &reply, line)) {
        return false;
    }
    int value = 0;
    if (sd_bus_message_read(reply.get(), "v", "b", &value) < 0) {
        *line = "GNOME Shell's UserExtensionsEnabled cannot be read";
        return false;
    }
    *on = value != 0;
    return true;
}

// Calls EnableExtension or DisableExtension (METHOD). False with *LINE when
// the call fails or the shell says no.
bool askSwitch(sd_bus* bus, const char* method, std::string* line) {
    Message call = newExtensionCall(bus, method);
    Message reply;
    if (!call) {
        *line = std::string("cannot call GNOME Shell's ") + method;
        return false;
    }
    if (!send(bus, call.get(), &reply, line)) {
        return false;
    }
    int accepted = 0;
    if (sd_bus_message_read(reply.get(), "b", &accepted) < 0 || !accepted) {
        *line = std::string("GNOME Shell refused ") + method + " for the aquarium's extension (" + kUuid + ")";
        return false;
    }
    return true;
}

// Reads the extension's state into *INFO until it is WANTED or in error, or
// the wait for the switch is over. False with *LINE when a read fails.
bool awaitState(sd_bus* bus, int wanted, ExtensionInfo* info, std::string* line) {
    auto giveUp = std::chrono::steady_clock::now() + kSwitchWait;
    for (;;) {
        if (!readInfo(bus, info, line)) {
            return false;
        }
        bool settled = info->state == wanted || info->state == kError || !info->installed;
        if (settled || std::chrono::steady_clock::now() >= giveUp) {
            return true;
        }
        std::this_thread::sleep_for(kSwitchPoll);
    }
}

} // namespace

GnomeSwitch switchGnomeWallpaper(bool on, std::string* line) {
    SessionBus bus = openSessionBus();
    // A bus that cannot be reached fails this call too: no shell either.
    if (!bus || !sessionNameHasOwner(bus.get(), kShellName)) {
        return GnomeSwitch::NoGnomeShell;
    }
    sd_bus* raw = bus.get();
    ExtensionInfo info;
    if (!readInfo(raw, &info, line)) {
        return GnomeSwitch::Failed;
    }
    bool userExtensionsOn = true;
    if (on && info.installed && !readUserExtensionsOn(raw, &userExtensionsOn, line)) {
        return GnomeSwitch::Failed;
    }
    *line = refusalBefore(on, info, userExtensionsOn);
    if (!line->empty()) {
        return GnomeSwitch::Failed;
    }
    if (!askSwitch(raw, on ? "EnableExtension" : "DisableExtension", line) ||
        !awaitState(raw, on ? kEnabled : kDisabled, &info, line)) {
        return GnomeSwitch::Failed;
    }
    *line = failureAfter(on, info);
    return line->empty() ? GnomeSwitch::Done : GnomeSwitch::Failed;
}
