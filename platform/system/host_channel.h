#pragma once
// The word of a desktop shell that shows the program's window as its
// background: lines on standard input. "seen" and "unseen" say whether
// anybody can see the background now; "size W H" gives the size the window
// should have; the end of the input is the shell letting the program go.
#include <cstddef>
#include <string>

enum class HostWordKind { Seen, Unseen, Size, Ended };

struct HostWord {
    HostWordKind kind = HostWordKind::Ended;
    int width = 0;   // with Size: 1 to 16384
    int height = 0;
};

// Reads one line without its newline; false for a line that says nothing
// the program knows, which is ignored (a newer shell may say more).
bool parseHostLine(const std::string& line, HostWord* word);

// Starts a thread that reads standard input and hands each word to DELIVER,
// in order, Ended last (at the end of the input or when it cannot be read).
// DELIVER runs on that thread. False, with the reason recorded
// (last_error.h), when the thread cannot start.
bool startHostChannel(void (*deliver)(const HostWord& word));
