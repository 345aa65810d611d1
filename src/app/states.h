// The screen state machine: state ids, the GameState base class and the deferred switch.
#pragma once

enum
{
    STATE_NULL = 0,
    STATE_INTRO = 1,
    STATE_AIDE = 2,
    STATE_MENU = 3,
    STATE_JEU = 4,
    STATE_HI_SCORES = 5,
    STATE_EXIT = 6,
};

// One screen of the game. A screen never deletes itself: it asks for the next state with
// set_next_state, and change_state performs the request between logic and render.
class GameState
{
public:
    virtual ~GameState() {}
    virtual void handle_events() = 0;
    virtual void logic() = 0;
    virtual void render() = 0;
};

extern int stateID;
extern int nextState;
extern GameState* currentState;

// Builds the screen of a state id from 1 to 5. Points at make_screen, which builds the real
// screens; a test may point it elsewhere to watch the switch.
extern GameState* (*state_factory)(int id);
GameState* make_screen(int id);

// Records a request for the next state; a pending STATE_EXIT is never overridden.
void set_next_state(int newState);

// Performs a pending request: deletes the old screen (except on exit), then builds the new one.
void change_state();
