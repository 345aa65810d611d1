// The high-score screen (in progress: draws the board picture).
#pragma once

#include "app/states.h"

#include <SDL.h>

class hi_scores : public GameState
{
public:
    hi_scores();
    ~hi_scores() override;
    void handle_events() override;
    void logic() override;
    void render() override;

private:
    SDL_Surface* background;
};
