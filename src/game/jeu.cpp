// The game screen (in progress: draws the board picture).
#include "game/jeu.h"

#include "app/log.h"
#include "media/input.h"
#include "media/media.h"

jeu::jeu()
{
    write_log("construction classe jeu...", LOG_NO_NUMBER);
    img_grille = load_image("./data/grille.png");
}

jeu::~jeu()
{
    SDL_FreeSurface(img_grille);
}

void jeu::handle_events()
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

void jeu::logic() {}

void jeu::render()
{
    apply_surface(0, 0, img_grille, screen, nullptr);
    MouseRender();
}
