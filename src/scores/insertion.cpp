// Where a new result goes in the high-score table.
#include "scores/insertion.h"

int insert_score(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES], int points,
                 const std::string& name)
{
    int pos = SCORE_ENTRIES - 1;
    while (pos >= 0 && points > scores[pos]) {
        const int kept_score = scores[pos];
        const std::string kept_name = names[pos];
        scores[pos] = points;
        names[pos] = name;
        if (pos != SCORE_ENTRIES - 1) {
            scores[pos + 1] = kept_score;
            names[pos + 1] = kept_name;
        }
        --pos;
    }
    return pos + 1;
}
