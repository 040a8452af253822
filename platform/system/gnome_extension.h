#pragma once
// The wallpaper under GNOME Shell: the shell draws no other program's window
// as its background, so there the program's own GNOME Shell extension
// (marivelle@marivelle.example, installed with the package) shows the
// aquarium, and the program only turns it on or off through the shell's
// extensions interface on the session bus.
#include <string>

enum class GnomeSwitch {
    // No GNOME Shell runs in this session: the wallpaper is drawn as elsewhere.
    NoGnomeShell,
    Done,
    Failed,
};

// ON turns the aquarium's GNOME Shell extension on, off turns it off.
// NoGnomeShell when the user's session bus cannot be reached or nobody owns
// the shell's name (org.gnome.Shell) on it: the caller then goes on as it
// does without GNOME. Failed when the extension is not installed, the user
// turned extensions off, the shell refuses or reports an error, or it does
// not answer within 10 seconds a call; LINE then holds one line (no newline)
// that says why and what to do. Off when the extension is not on is Failed.
GnomeSwitch switchGnomeWallpaper(bool on, std::string* line);
