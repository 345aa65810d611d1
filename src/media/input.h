// Shared input state: the event buffer, the pointer position and the rectangle hit test.
#pragma once

#include <SDL.h>

extern SDL_Event event;
extern int mouse_x;
extern int mouse_y;

constexpr int KEY_ESCAPE = SDLK_ESCAPE; // 27
constexpr int KEY_RETURN = SDLK_RETURN; // 13
constexpr int KEY_UP = SDLK_UP;         // 273
constexpr int KEY_DOWN = SDLK_DOWN;     // 274

// Copies the position of the motion event just polled into mouse_x, mouse_y.
void follow_motion();

// Hides the system pointer and puts the shared position at the centre of the surface.
void Init_Mouse_key(SDL_Surface* surface);

// Whether (x, y) lies in r, both edges included: r.x <= x <= r.x + r.w, r.y <= y <= r.y + r.h.
bool check_in_rect(int x, int y, SDL_Rect r);
