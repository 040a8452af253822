#include "platform/system/session_bus.h"

#include <cerrno>
#include <cstring>

SessionBus openSessionBus() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) {
        return nullptr;
    }
    return SessionBus(bus);
}

bool callOnSessionBus(sd_bus* bus, sd_bus_message* call, const char* who, SessionMessage* reply,
                      std::string* line) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* answer = nullptr;
    int r = sd_bus_call(bus, call, uint64_t{kSessionCallSeconds} * 1'000'000, &error, &answer);
    reply->reset(answer);
    if (r >= 0) {
        return true;
    }
    std::string member = sd_bus_message_get_member(call);
    if (r == -ETIMEDOUT) {
        *line = std::string(who) + " did not answer " + member + " within " + std::to_string(kSessionCallSeconds) +
                " seconds";
    } else {
        *line = std::string(who) + " refused " + member + ": " +
                (sd_bus_error_is_set(&error) && error.message ? error.message : std::strerror(-r));
    }
    sd_bus_error_free(&error);
    return false;
}

bool sessionNameHasOwner(sd_bus* bus, const char* name) {
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus, &raw, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", "NameHasOwner") < 0) {
        return false;
    }
    SessionMessage call(raw);
    SessionMessage reply;
    std::string ignored;
    int owned = 0;
    return sd_bus_message_append(raw, "s", name) >= 0 &&
           callOnSessionBus(bus, raw, "the session bus", &reply, &ignored) &&
           sd_bus_message_read(reply.get(), "b", &owned) >= 0 && owned;
}
