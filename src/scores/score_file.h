// The high-score table on disk: ./data/scores.txt and its check key ./data/scores.cle.
#pragma once

#include <cstdint>
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

// The score file as one game last saw it on disk, its CRC-32 and length: a later save can tell
// from it whether another game has written the table since.
struct score_table_seen
{
    uint32_t crc = 0;
    uint32_t length = 0;
};

// Reads the table from the score file if it agrees with its key (entries the file does not
// supply keep their values); otherwise deletes it and writes the default file and its key.
// A key left pending by an interrupted save is taken when it matches the score file. When
// `seen` is given, it receives the score file as the load left it.
void load_scores(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES],
                 score_table_seen* seen = nullptr);

// The end of a name entry, with every other game on this machine kept out of the table: when
// the score file is no longer the one described by `seen`, the table is read from disk again
// (logged); then `points` is inserted under `name` by the game's rule and the table is saved.
// Returns the new row, or -1 when ten better results are now in the table: then nothing is
// inserted or written (logged). When the other games hold the table past the wait, the result
// goes into the table in memory only, and the log says that it was not saved.
int record_result(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES],
                  score_table_seen& seen, int points, const std::string& name);

// Every operation that reads the pair and may write it (the load, the save, the key's rewrite)
// holds one lock that all games on this machine respect, taken on the directory of the score
// file (see score_fs_try_lock): it creates nothing in the directory, follows links, needs only
// read access and is released when its holder dies. A game waits for it up to score_lock_wait_ms;
// past that it writes nothing (a load only reads). Where the file system has no such lock, the
// operations go on without it, logged once.
extern int score_lock_wait_ms; // 3000 by default

// Saves the table and its key. Both files are written to their ".new" names, synced, then
// renamed over the old ones, score file first: a failure or a kill at any point leaves a
// pair that loads. A file that is a symbolic link keeps its link: the new file is written
// beside the link's target and renamed there. A file without write permission leaves the
// pair as it is. When the directory refuses new files, both files are rewritten in place
// instead. False (after a log line) when the save did not complete.
bool save_scores(const std::string (&names)[SCORE_ENTRIES], const int (&scores)[SCORE_ENTRIES]);

// Rewrites the key from the score file as it lies on disk ("CRC LENGTH" in decimal), by the
// same rules as save_scores. False when the key could not be written.
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
