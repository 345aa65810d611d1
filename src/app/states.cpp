// The deferred screen switch.
#include "app/states.h"

int stateID = STATE_NULL;
int nextState = STATE_NULL;
GameState* currentState = nullptr;
GameState* (*state_factory)(int id) = make_screen;

void set_next_state(int newState)
{
    if (nextState != STATE_EXIT)
        nextState = newState;
}

void change_state()
{
    if (nextState == STATE_NULL)
        return;
    if (nextState != STATE_EXIT && currentState != nullptr) {
        delete currentState;
        currentState = nullptr;
    }
    if (nextState != STATE_EXIT)
        currentState = state_factory(nextState);
    stateID = nextState;
    nextState = STATE_NULL;
}
