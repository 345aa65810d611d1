// Builds the screen of each state id.
#include "app/states.h"
#include "game/jeu.h"
#include "scores/hi_scores.h"
#include "screens/aide.h"
#include "screens/intro.h"
#include "screens/menu.h"

GameState* make_screen(int id)
{
    switch (id) {
    case STATE_INTRO:
        return new intro();
    case STATE_AIDE:
        return new aide();
    case STATE_MENU:
        return new menu();
    case STATE_JEU:
        return new jeu();
    case STATE_HI_SCORES:
        return new hi_scores();
    default:
        return nullptr;
    }
}
