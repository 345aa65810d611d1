// The points of the current or last game.
#include "game/score.h"

int score = 0;
