// The help screen.
#include "screens/aide.h"

#include "app/log.h"
#include "media/media.h"
#include "screens/picture_screen.h"

aide::aide()
{
    write_log("construction classe aide...", LOG_NO_NUMBER);
    background = load_image("./data/aide_bg.png");
    if (background == nullptr)
        write_log("Erreur de chargement aide_bg.png", LOG_NO_NUMBER);
}

aide::~aide()
{
    SDL_FreeSurface(background);
}

void aide::handle_events()
{
    picture_screen_events(STATE_MENU);
}

void aide::logic() {}

void aide::render()
{
    picture_screen_render(background);
}
