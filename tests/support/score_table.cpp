// High-score tables as the score file's tests build, load and compare them.
#include "support/score_table.h"

#include <cstdio>
#include <zlib.h>

score_table::score_table()
{
    default_scores(names, scores);
}

score_table score_table::of(const std::vector<std::pair<std::string, int>>& rows)
{
    score_table t;
    for (size_t i = 0; i < rows.size() && i < SCORE_ENTRIES; ++i) {
        t.names[i] = rows[i].first;
        t.scores[i] = rows[i].second;
    }
    return t;
}

score_table score_table::with(int row, const std::string& name, int points) const
{
    score_table t = *this;
    for (int i = SCORE_ENTRIES - 1; i > row; --i) {
        t.names[i] = t.names[i - 1];
        t.scores[i] = t.scores[i - 1];
    }
    t.names[row] = name;
    t.scores[row] = points;
    return t;
}

bool score_table::operator==(const score_table& other) const
{
    for (int i = 0; i < SCORE_ENTRIES; ++i)
        if (names[i] != other.names[i] || scores[i] != other.scores[i])
            return false;
    return true;
}

std::ostream& operator<<(std::ostream& out, const score_table& t)
{
    for (int i = 0; i < SCORE_ENTRIES; ++i)
        out << '[' << t.names[i] << ' ' << t.scores[i] << ']';
    return out;
}

score_table loaded_table()
{
    score_table t;
    load_scores(t.names, t.scores);
    return t;
}

std::string key_for(const std::string& bytes)
{
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
    return std::to_string(crc) + " " + std::to_string(bytes.size());
}

void remove_score_files()
{
    for (const char* path : {SCORES_PATH, KEY_PATH, SCORES_NEW_PATH, KEY_NEW_PATH})
        std::remove(path);
}
