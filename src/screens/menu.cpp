// The main menu.
#include "screens/menu.h"

#include "app/log.h"
#include "media/input.h"
#include "media/media.h"

const SDL_Rect menu::items[4] = {
    {276, 69, 248, 63},
    {276, 202, 248, 63},
    {276, 335, 248, 63},
    {276, 468, 248, 63},
};

menu::menu()
{
    write_log("construction classe menu...", LOG_NO_NUMBER);
    menu_jouer = load_image("./data/menu_jouer.png");
    menu_scores = load_image("./data/menu_scores.png");
    menu_quitter = load_image("./data/menu_quitter.png");
    menu_aide = load_image("./data/menu_aide.png");
    click = load_sound("./data/click.wav");
    if (!menu_jouer || !menu_scores || !menu_quitter || !menu_aide || !click)
        write_log("MENU: ERREUR LORS DU CHARGEMENT DES FICHIERS", LOG_NO_NUMBER);
    selection = 1;
}

menu::~menu()
{
    SDL_FreeSurface(menu_jouer);
    SDL_FreeSurface(menu_aide);
    SDL_FreeSurface(menu_scores);
    SDL_FreeSurface(menu_quitter);
    if (click != nullptr)
        Mix_FreeChunk(click);
}

void menu::activate()
{
    static const int targets[4] = {STATE_JEU, STATE_AIDE, STATE_HI_SCORES, STATE_EXIT};
    set_next_state(targets[selection - 1]);
}

void menu::handle_events()
{
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
            switch (event.key.keysym.sym) {
            case KEY_UP:
                play_sound(click);
                selection = selection == 1 ? 4 : selection - 1;
                break;
            case KEY_DOWN:
                play_sound(click);
                selection = selection == 4 ? 1 : selection + 1;
                break;
            case KEY_RETURN:
                activate();
                break;
            case KEY_ESCAPE:
                set_next_state(STATE_EXIT);
                break;
            default:
                break;
            }
            break;
        case SDL_MOUSEMOTION:
            follow_motion();
            for (int item = 1; item <= 4; ++item) {
                if (check_in_rect(mouse_x, mouse_y, items[item - 1]) && selection != item) {
                    selection = item;
                    play_sound(click);
                }
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            activate();
            break;
        case SDL_QUIT:
            set_next_state(STATE_EXIT);
            break;
        default:
            break;
        }
    }
}

void menu::logic() {}

void menu::render()
{
    SDL_Surface* const pictures[4] = {menu_jouer, menu_aide, menu_scores, menu_quitter};
    apply_surface(0, 0, pictures[selection - 1], screen, nullptr);
    MouseRender();
}
