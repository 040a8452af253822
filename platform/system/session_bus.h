#pragma once
// The few calls the program makes on the user's session bus, to the desktop
// shells it hands the wallpaper to, each with a deadline.
#include <systemd/sd-bus.h>

#include <memory>
#include <string>

struct SessionBusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct SessionMessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using SessionBus = std::unique_ptr<sd_bus, SessionBusUnref>;
using SessionMessage = std::unique_ptr<sd_bus_message, SessionMessageUnref>;

// How long one call may wait for its answer.
constexpr int kSessionCallSeconds = 10;

// The user's session bus; null when it cannot be reached.
SessionBus openSessionBus();

// Sends CALL and waits up to kSessionCallSeconds for its answer, in *REPLY.
// False with *LINE saying why when WHO (the service, in words) does not
// answer in time or answers with an error.
bool callOnSessionBus(sd_bus* bus, sd_bus_message* call, const char* who, SessionMessage* reply,
                      std::string* line);

// Whether someone owns NAME on BUS; false too when the bus does not answer.
bool sessionNameHasOwner(sd_bus* bus, const char* name);
