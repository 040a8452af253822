#pragma once
// Whether anybody can see a window, from the window stack (placeholder until merged).
#include <X11/Xlib.h>

void startX11StackWatch(Display* display);
bool noteX11StackEvent(Display* display, const XEvent& event);
bool checkX11WindowCovered(Display* display, Window window);
