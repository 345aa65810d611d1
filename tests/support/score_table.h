// High-score tables as the score file's tests build, load and compare them.
#pragma once

#include "scores/score_file.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

struct score_table
{
    std::string names[SCORE_ENTRIES];
    int scores[SCORE_ENTRIES];

    score_table(); // the table of a fresh install
    // The default table with `rows` in place of its first rows.
    static score_table of(const std::vector<std::pair<std::string, int>>& rows);
    // This table with a row inserted at `row`, the rows below moved down one place.
    score_table with(int row, const std::string& name, int points) const;
    bool operator==(const score_table& other) const;
    bool operator!=(const score_table& other) const { return !(*this == other); }
};

// Every row, as "[NAME points]".
std::ostream& operator<<(std::ostream& out, const score_table& t);

// The default table filled by load_scores, as the high-score screen does it.
score_table loaded_table();

// The key of some bytes ("CRC LENGTH"), worked out with zlib rather than through the game.
std::string key_for(const std::string& bytes);

// Removes the pair and its temporary files from data/.
void remove_score_files();
