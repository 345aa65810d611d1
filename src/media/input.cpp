// The shared pointer position and the hit test.
#include "media/input.h"

SDL_Event event;
int mouse_x = 0;
int mouse_y = 0;

void follow_motion()
{
    mouse_x = event.motion.x;
    mouse_y = event.motion.y;
}

void Init_Mouse_key(SDL_Surface* surface)
{
    SDL_ShowCursor(SDL_DISABLE);
    mouse_x = surface->w / 2;
    mouse_y = surface->h / 2;
}

bool check_in_rect(int x, int y, SDL_Rect r)
{
    // Sign-extended position and corner, zero-extended size, all compared as int.
    const int left = r.x, top = r.y;
    const int right = left + static_cast<int>(r.w), bottom = top + static_cast<int>(r.h);
    return left <= x && x <= right && top <= y && y <= bottom;
}
