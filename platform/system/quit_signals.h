#pragma once
// SIGTERM and SIGINT for a backend that runs its own event loop: a session
// ends the program with SIGTERM at logout, a user at a terminal with SIGINT,
// and either must end it as a quit request does, with its own status.

// Turns both signals into a byte on a pipe that the event loop watches.
// False after recording why (last_error.h).
bool catchQuitSignals();
// The pipe's end to wait on for reading (-1 before catchQuitSignals).
int readQuitSignalDescriptor();
// True when a signal came since the last call; empties the pipe.
bool takeQuitSignal();
// From the moment the program begins to close, a late signal must not end
// it with the signal's status instead of its own: both are ignored from
// here on.
void ignoreLateQuitSignals();
