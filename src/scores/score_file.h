// The high-score table on disk: ./data/scores.txt and its check key ./data/scores.cle.
#pragma once

#include <string>

constexpr int SCORE_ENTRIES = 10;

extern const char* const SCORES_PATH;     // "./data/scores.txt"
extern const char* const KEY_PATH;        // "./data/scores.cle"
extern const char* const SCORES_NEW_PATH; // "./data/scores.txt.new", the score file being saved
extern const char* const KEY_NEW_PATH;    // "./data/scores.cle.new", the key being saved

// The table of a fresh install: ten "AAA" with 100, 90, ..., 10.
void default_scores(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES]);

// The bytes of a saved score file: per entry the name, one space, the score in decimal.
// A space inside a name is written as '_' (the name alphabet has no '_'), so that every name
// reads back as one token; names made of letters are written unchanged.
std::string scores_file_text(const std::string (&names)[SCORE_ENTRIES],
                             const int (&scores)[SCORE_ENTRIES]);

// Reads the table from the score file if it agrees with its key (entries the file does not
// supply keep their values); otherwise deletes it and writes the default file and its key.
// A key left pending by an interrupted save is taken when it matches the score file.
void load_scores(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES]);

// Saves the table and its key. Both files are written to their ".new" names, synced, then
// renamed over the old ones, score file first: a failure or a kill at any point leaves a
// pair that loads. False (after a log line) when the old pair was kept.
bool save_scores(const std::string (&names)[SCORE_ENTRIES], const int (&scores)[SCORE_ENTRIES]);

// Rewrites the key from the score file as it lies on disk ("CRC LENGTH" in decimal).
// False when the key could not be written.
bool write_check_key();

// The steps of save_scores, in order; score_save_hook (null by default) is called after each
// one, so that a test can stop the process at any point of a save.
enum score_save_step
{
    SAVE_SCORES_TEMP_WRITTEN = 1, // scores.txt.new written and synced
    SAVE_KEY_TEMP_WRITTEN,        // scores.cle.new written and synced
    SAVE_SCORES_RENAMED,          // scores.txt.new renamed to scores.txt
    SAVE_KEY_RENAMED,             // scores.cle.new renamed to scores.cle: the save is complete
};
extern void (*score_save_hook)(int step);
