#include "platform/x11_coverage.h"

void startX11StackWatch(Display*) {}
bool noteX11StackEvent(Display*, const XEvent&) { return false; }
bool checkX11WindowCovered(Display*, Window) { return false; }
