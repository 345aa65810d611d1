// What the intro and help screens share: a full-window picture, and any key but Escape or
// any click leads to one fixed next state.
#pragma once

#include <SDL.h>

void picture_screen_events(int next);
void picture_screen_render(SDL_Surface* background);
