// The help screen: the rules picture until a key or a click.
#pragma once

#include "app/states.h"

#include <SDL.h>

class aide : public GameState
{
public:
    aide();
    ~aide() override;
    void handle_events() override;
    void logic() override;
    void render() override;

private:
    SDL_Surface* background;
};
