// The game screen (in progress: draws the board picture).
#pragma once

#include "app/states.h"

#include <SDL.h>

class jeu : public GameState
{
public:
    jeu();
    ~jeu() override;
    void handle_events() override;
    void logic() override;
    void render() override;

private:
    SDL_Surface* img_grille;
};
