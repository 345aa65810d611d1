// The intro screen: one picture until a key or a click.
#pragma once

#include "app/states.h"

#include <SDL.h>

class intro : public GameState
{
public:
    intro();
    ~intro() override;
    void handle_events() override;
    void logic() override;
    void render() override;

private:
    SDL_Surface* background;
};
