#pragma once
// Whether the session's screen is locked, as the desktop's screen saver
// service tells on the session bus (org.freedesktop.ScreenSaver: GetActive,
// and the ActiveChanged signal), which KDE's and other desktops' lockers
// provide. A program drawn as the desktop's background sleeps while it is.

// Starts a thread that follows the lock and calls DELIVER (on that thread)
// with true once the screen is locked and with false once it is unlocked,
// starting with the state at the start when it is locked. False when the
// session bus cannot be reached or the thread cannot start: the screen then
// counts as never locked. A service that starts later is still heard.
bool startScreenLockWatch(void (*deliver)(bool locked));
