// Where a new result goes in the high-score table.
#pragma once

#include "scores/score_file.h"

#include <string>

// Inserts `points` under `name` below every entry that is greater or equal (so an older entry
// stays above a tie), moving the lower entries down and dropping the old tenth. Returns the
// new entry's row, or SCORE_ENTRIES when the result is not greater than the tenth entry and
// the table is unchanged.
int insert_score(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES], int points,
                 const std::string& name);
