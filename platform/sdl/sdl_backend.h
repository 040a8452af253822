#pragma once
// State and helpers shared by the files of the SDL backend. Only the backend
// includes this; everything else sees platform/platform.h alone.
#include <SDL.h>

#include <cstdint>

struct PlatformEvent;

// The seam's functions on SDL, each as platform.h describes it; sdlPlatform
// (backend.h) holds them.
bool sdlCreateWindow(const char* title, int width, int height);
bool sdlAttachWindow(uint64_t windowId);
bool sdlCreateEmbeddedWindow(const char* title, int width, int height);
bool sdlCreateWallpaper(bool bottomLayer);
int sdlStopWallpaper();
void sdlShowWindow();
void sdlDestroyWindow();
bool sdlPollEvent(PlatformEvent* event);
bool sdlWaitEvent(PlatformEvent* event);
bool sdlIsWindowVisible();
void sdlGetDrawableSize(int* width, int* height);
void sdlInhibitScreensaver(bool on, const char* reason);
int sdlChooseMonitor(int index);
// The monitor sdlChooseMonitor chose, -1 for none; and the hints every
// window of the program's own needs before SDL_Init.
extern int sdlChosenMonitor;
void setOwnWindowHints();
bool sdlSetFullscreen(bool on);
bool sdlIsFullscreen();
bool sdlWindowExists();
void sdlSwapBuffers();
int sdlGetOutputCount();
void sdlGetOutputSize(int index, int* width, int* height);
bool sdlIsOutputVisible(int index);
void sdlMakeOutputCurrent(int index);
void sdlPresentOutput(int index);
bool sdlIsKeyPressed(int virtualKey);
void sdlMessageBox(const char* text, const char* caption);

// The program's one window: set by a successful sdlCreateWindow or
// sdlAttachWindow, null again after sdlDestroyWindow.
extern SDL_Window* sdlWindow;
// True while sdlWindow wraps a window that another program made and owns.
extern bool sdlWindowIsForeign;

// True while sdlWindow is shown by a desktop shell (embedded.cpp), from
// just before it is made; and
// whether the shell last said that anybody sees it.
extern bool sdlEmbedded;
extern bool sdlHostSeen;
// Embedded: the session's screen is locked (screen_lock.h).
extern bool sdlScreenLocked;
// Turns an event that carries the shell's word into a seam event; false for
// every other event, and for words that need no seam event.
bool translateHostEvent(const SDL_Event& in, PlatformEvent* out);

// The GL attributes every context of the program asks for.
void setContextAttributes();

// Records the platform's last error (system/last_error.h): WHAT, then
// SDL's own error when it has one.
void setSdlError(const char* what);

// Sets up the GL attributes, then makes the window (or wraps FOREIGNWINDOW,
// an X window id, when it is not 0) and its current context, trapping X
// errors on the way. On failure everything is released, SDL is shut down and
// the error is recorded.
bool createContextIn(const char* title, int width, int height, unsigned long foreignWindow);

// Turns one SDL event into a seam event; false for events the program ignores.
bool translateEvent(const SDL_Event& in, PlatformEvent* out);
// Forgets what belonged to a window that is gone: latched keys, the size
// last reported, the fullscreen state.
void clearLatchedKeys();
// Notes which of the keys that end or change something are down now, before
// the window saw them pressed: their presses count only once let go.
void noteKeysHeldBefore();
void forgetReportedSize();
void forgetFullscreen();
// The drawable's size as the window system has it now, without noting it as
// known to the program (sdlGetDrawableSize does both).
void readDrawableSize(int* width, int* height);
// Notes the size the program now knows, so that the periodic check reports
// only a change from it.
void noteReportedSize(int width, int height);
// The size last reported to the program (-1 before any).
void readReportedSize(int* width, int* height);
