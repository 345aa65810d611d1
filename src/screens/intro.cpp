// The intro screen.
#include "screens/intro.h"

#include "app/log.h"
#include "media/media.h"
#include "screens/picture_screen.h"

intro::intro()
{
    write_log("construction classe intro...", LOG_NO_NUMBER);
    background = load_image("./data/intro_bg.png");
    if (background == nullptr)
        write_log("Erreur de chargement intro_bg.png", LOG_NO_NUMBER);
}

intro::~intro()
{
    SDL_FreeSurface(background);
}

void intro::handle_events()
{
    picture_screen_events(STATE_AIDE);
}

void intro::logic() {}

void intro::render()
{
    picture_screen_render(background);
}
