// The points of the current or last game: set to 0 when a game starts, raised as runs vanish,
// read by the high-score screen, which sets it back to 0 once the result is entered.
#pragma once

extern int score;
