// The high-score screen (in progress: draws the board picture).
#include "scores/hi_scores.h"

#include "app/log.h"
#include "media/input.h"
#include "media/media.h"

hi_scores::hi_scores()
{
    background = load_image("./data/hi_scores_bg.png");
}

hi_scores::~hi_scores()
{
    SDL_FreeSurface(background);
}

void hi_scores::handle_events()
{
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_KEYDOWN && event.key.keysym.sym == KEY_ESCAPE))
            set_next_state(STATE_EXIT);
        else if (event.type == SDL_MOUSEMOTION) {
            mouse_x = event.motion.x;
            mouse_y = event.motion.y;
        }
    }
}

void hi_scores::logic() {}

void hi_scores::render()
{
    apply_surface(0, 0, background, screen, nullptr);
    MouseRender();
}
