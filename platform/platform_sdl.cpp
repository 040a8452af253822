// SDL2 backend of the window-system seam: one window with an OpenGL
// compatibility context, its events, key polling, message boxes and the
// performance counter.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {

SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
char lastError[512] = "";

// Keys pressed since their previous poll, indexed by virtual-key code. A tap
// that starts and ends between two frames still counts once.
bool latchedKeys[256] = {};

void setError(const char* what) {
    std::snprintf(lastError, sizeof lastError, "%s: %s", what, SDL_GetError());
}

// Maps the virtual-key codes the camera polls onto SDL scancodes: a letter
// key is the one in that letter's place on a US keyboard, whatever its label
// on the layout in use, so the flying keys stay in one cluster everywhere.
SDL_Scancode mapVirtualKeyToScancode(int virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (virtualKey - 'A'));
    }
    switch (virtualKey) {
    case 37: return SDL_SCANCODE_LEFT;
    case 38: return SDL_SCANCODE_UP;
    case 39: return SDL_SCANCODE_RIGHT;
    case 40: return SDL_SCANCODE_DOWN;
    default: return SDL_SCANCODE_UNKNOWN;
    }
}

int mapScancodeToVirtualKey(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) {
        return 'A' + (code - SDL_SCANCODE_A);
    }
    switch (code) {
    case SDL_SCANCODE_LEFT: return 37;
    case SDL_SCANCODE_UP: return 38;
    case SDL_SCANCODE_RIGHT: return 39;
    case SDL_SCANCODE_DOWN: return 40;
    default: return -1;
    }
}

void fillSizeEvent(PlatformEvent* event) {
    event->type = PLATFORM_EVENT_SIZE;
    platformGetDrawableSize(&event->width, &event->height);
}

// Translates one SDL event; false for events the program ignores.
bool translateEvent(const SDL_Event& in, PlatformEvent* out) {
    *out = PlatformEvent{};
    switch (in.type) {
    case SDL_QUIT:
        out->type = PLATFORM_EVENT_QUIT;
        return true;
    case SDL_WINDOWEVENT:
        if (in.window.event == SDL_WINDOWEVENT_CLOSE) {
            out->type = PLATFORM_EVENT_CLOSE;
            return true;
        }
        if (in.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            fillSizeEvent(out);
            return true;
        }
        return false;
    case SDL_KEYDOWN: {
        int key = mapScancodeToVirtualKey(in.key.keysym.scancode);
        if (key >= 0) {
            latchedKeys[key] = true;
        }
        // Escape produces no text event, so its character is made here.
        if (in.key.keysym.sym == SDLK_ESCAPE) {
            out->type = PLATFORM_EVENT_CHAR;
            out->character = 27;
            return true;
        }
        return false;
    }
    case SDL_TEXTINPUT:
        out->type = PLATFORM_EVENT_CHAR;
        out->character = static_cast<unsigned char>(in.text.text[0]);
        return true;
    default:
        return false;
    }
}

} // namespace

bool platformCreateWindow(const char* title, int width, int height) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        setError("cannot open a display");
        return false;
    }
    // Without a display SDL falls back to drivers that show nothing; a demo
    // that nobody can see is a failure to start, not a success.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
        std::snprintf(lastError, sizeof lastError,
                      "no display is available (DISPLAY or WAYLAND_DISPLAY is not set or cannot be opened)");
        SDL_Quit();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        setError("cannot create the window");
        SDL_Quit();
        return false;
    }
    context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        setError("cannot create an OpenGL context with 16 depth and 8 stencil bits");
        SDL_DestroyWindow(window);
        window = nullptr;
        SDL_Quit();
        return false;
    }
    SDL_GL_MakeCurrent(window, context);
    SDL_StartTextInput();
    return true;
}

void platformShowWindow() {
    if (window != nullptr) {
        SDL_ShowWindow(window);
    }
}

void platformDestroyWindow() {
    if (context != nullptr) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
        context = nullptr;
    }
    if (window != nullptr) {
        SDL_DestroyWindow(window);
        window = nullptr;
        SDL_Quit();
    }
}

const char* platformGetLastError() { return lastError; }

bool platformPollEvent(PlatformEvent* event) {
    SDL_Event in;
    while (SDL_PollEvent(&in)) {
        if (translateEvent(in, event)) {
            return true;
        }
    }
    return false;
}

void platformGetDrawableSize(int* width, int* height) {
    *width = 0;
    *height = 0;
    if (window != nullptr) {
        SDL_GL_GetDrawableSize(window, width, height);
    }
}

void platformSwapBuffers() {
    if (window != nullptr) {
        SDL_GL_SwapWindow(window);
    }
}

bool platformIsKeyPressed(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) {
        return false;
    }
    SDL_Scancode code = mapVirtualKeyToScancode(virtualKey);
    const Uint8* state = SDL_GetKeyboardState(nullptr);
    bool down = code != SDL_SCANCODE_UNKNOWN && state[code] != 0;
    bool pressed = down || latchedKeys[virtualKey];
    latchedKeys[virtualKey] = false;
    return pressed;
}

int64_t platformReadCounter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }

int64_t platformReadCounterFrequency() { return static_cast<int64_t>(SDL_GetPerformanceFrequency()); }

void platformMessageBox(const char* text, const char* caption) {
    const char* title = caption != nullptr ? caption : "Error";
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title, text, nullptr) != 0) {
        std::fprintf(stderr, "%s: %s\n", title, text);
    }
}
