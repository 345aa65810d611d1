// The main menu: four items highlighted by the pointer or the arrows, activated by Return or
// any click.
#pragma once

#include "app/states.h"

#include <SDL.h>
#include <SDL_mixer.h>

class menu : public GameState
{
public:
    menu();
    ~menu() override;
    void handle_events() override;
    void logic() override;
    void render() override;

    int get_selection() const { return selection; }

    // Hover rectangles of items 1 to 4, top to bottom.
    static const SDL_Rect items[4];

private:
    void activate();

    int selection;
    SDL_Surface* menu_jouer;
    SDL_Surface* menu_scores;
    SDL_Surface* menu_quitter;
    SDL_Surface* menu_aide;
    Mix_Chunk* click;
};
