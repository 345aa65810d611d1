// Event handling and drawing shared by the intro and help screens.
#include "screens/picture_screen.h"

#include "app/states.h"
#include "media/input.h"
#include "media/media.h"

void picture_screen_events(int next)
{
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
            set_next_state(event.key.keysym.sym == KEY_ESCAPE ? STATE_EXIT : next);
            break;
        case SDL_MOUSEBUTTONDOWN:
            set_next_state(next);
            break;
        case SDL_MOUSEMOTION:
            follow_motion();
            break;
        case SDL_QUIT:
            set_next_state(STATE_EXIT);
            break;
        default:
            break;
        }
    }
}

void picture_screen_render(SDL_Surface* background)
{
    apply_surface(0, 0, background, screen, nullptr);
    MouseRender();
}
