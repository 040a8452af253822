#include "platform/system/screen_lock.h"

#include <systemd/sd-bus.h>

#include <cstdint>
#include <system_error>
#include <thread>

namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kPath = "/org/freedesktop/ScreenSaver";
// How long the first question may wait; a busy session answers in far less.
constexpr uint64_t kAskDeadlineUs = 10'000'000;

void (*deliverLock)(bool locked) = nullptr;

int onActiveChanged(sd_bus_message* message, void*, sd_bus_error*) {
    int active = 0;
    if (sd_bus_message_read(message, "b", &active) >= 0) {
        deliverLock(active != 0);
    }
    return 0;
}

// The lock at the start: false when no service answers.
bool askLocked(sd_bus* bus) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    sd_bus_message* call = nullptr;
    int active = 0;
    if (sd_bus_message_new_method_call(bus, &call, kService, kPath, kService, "GetActive") >= 0 &&
        sd_bus_call(bus, call, kAskDeadlineUs, &error, &reply) >= 0) {
        if (sd_bus_message_read(reply, "b", &active) < 0) {
            active = 0;
        }
    }
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    sd_bus_error_free(&error);
    return active != 0;
}

// Runs for the rest of the program on its own thread, owning BUS.
void follow(sd_bus* bus) {
    if (askLocked(bus)) {
        deliverLock(true);
    }
    while (true) {
        int r = sd_bus_process(bus, nullptr);
        if (r < 0) {
            break;  // the bus went away: the lock is no longer heard of
        }
        if (r == 0 && sd_bus_wait(bus, UINT64_MAX) < 0) {
            break;
        }
    }
    sd_bus_flush_close_unref(bus);
}

} // namespace

bool startScreenLockWatch(void (*deliver)(bool locked)) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) {
        return false;
    }
    deliverLock = deliver;
    // Only the service's own signal counts; the bus names its owner.
    if (sd_bus_match_signal(bus, nullptr, kService, nullptr, kService, "ActiveChanged", onActiveChanged,
                            nullptr) < 0) {
        sd_bus_flush_close_unref(bus);
        return false;
    }
    try {
        std::thread(follow, bus).detach();
    } catch (const std::system_error&) {
        sd_bus_flush_close_unref(bus);
        return false;
    }
    return true;
}
