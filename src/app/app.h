// Program start-up, the frame loop and shutdown.
#pragma once

#include <SDL.h>

constexpr Uint32 FRAME_MS = 33;

// Milliseconds since start() on SDL's tick counter.
class Timer
{
public:
    void start() { start_ticks = SDL_GetTicks(); }
    Uint32 get_ticks() const { return SDL_GetTicks() - start_ticks; }

private:
    Uint32 start_ticks = 0;
};

// SDL, SDL_ttf, audio, then the 800 x 600 window titled "Brimzo". Logs the step that failed.
bool init();

// Releases the current screen and the shared resources, then shuts the libraries down.
void clean_up();

// Everything main does before the frame loop: logs the start, init, the asset check, the
// shared files, the pointer, the intro screen. 0 when the intro is up, else the exit status.
int start_up();

// One pass of the frame loop without its timing: events, logic, screen change, render, flip.
// False when the flip failed.
bool run_frame();

// How long to sleep after a frame whose work took `elapsed` ms: the rest of 33 ms, never
// negative and never making up for a slow frame.
Uint32 frame_delay(Uint32 elapsed);

// The whole program; returns the process exit status.
int brimzo_main();
