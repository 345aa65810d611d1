// Fuzz target: the score file and its key through the real load, then a result inserted, the
// table saved and loaded again, all in the target's temporary data/.
//
// Input layout: byte 0 holds flags, byte 1 the key's length k, the next k bytes (fewer if the
// input ends) are the key, and every byte after them is the score file.
//   flag 1: scores.cle holds the check key of the score bytes instead of the key bytes, so
//           that the load takes the file and reads its entries;
//   flag 2: the key bytes also lie in scores.cle.new, as an interrupted save leaves them;
//   flag 4: there is no score file at all.
// The inserted result (points and a three-letter name) is drawn from the input's checksum.
#include "fuzz/fuzz_support.h"

#include "integrity/crc32.h"
#include "scores/insertion.h"
#include "scores/score_file.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

namespace {

enum
{
    MATCHING_KEY = 1,
    PENDING_KEY = 2,
    NO_SCORE_FILE = 4,
};

// The key on disk agrees with the score file on disk, read as the game reads a key: two
// numbers, one that is missing or unreadable counting as 0 (so an empty key vouches for an
// empty or missing score file).
bool pair_agrees()
{
    std::istringstream key(read_bytes(KEY_PATH));
    uint32_t crc = 0, length = 0, value = 0;
    if (key >> value) {
        crc = value;
        if (key >> value)
            length = value;
    }
    uint32_t size = 0;
    const uint32_t actual = file_crc32(SCORES_PATH, &size);
    return actual == crc && size == length;
}

bool leftovers()
{
    return std::filesystem::exists(SCORES_NEW_PATH) || std::filesystem::exists(KEY_NEW_PATH);
}

// A name the file keeps exactly: one token that cannot be taken for the end of the number
// before it. The game's own names (letters and spaces) always are.
bool kept_exactly(const std::string& name)
{
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) || name[0] == '+' ||
        name[0] == '-')
        return false;
    for (char c : name)
        if (c == '_' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r')
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reset_log();
    for (const char* path : {SCORES_PATH, KEY_PATH, SCORES_NEW_PATH, KEY_NEW_PATH})
        std::remove(path);

    const int flags = size > 0 ? data[0] : 0;
    size_t key_length = size > 1 ? data[1] : 0;
    const size_t key_start = size < 2 ? size : 2;
    if (key_length > size - key_start)
        key_length = size - key_start;
    const uint8_t* key = data + key_start;
    const uint8_t* file = key + key_length;
    const size_t file_length = size - key_start - key_length;

    if (!(flags & NO_SCORE_FILE))
        write_bytes(SCORES_PATH, file, file_length);
    if (flags & MATCHING_KEY) {
        uint32_t length = 0;
        const uint32_t crc = file_crc32(SCORES_PATH, &length);
        const std::string text = std::to_string(crc) + " " + std::to_string(length);
        write_bytes(KEY_PATH, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    } else {
        write_bytes(KEY_PATH, key, key_length);
    }
    if (flags & PENDING_KEY)
        write_bytes(KEY_NEW_PATH, key, key_length);

    // As the high-score screen does: the default table, then the file over it.
    std::string names[SCORE_ENTRIES];
    int scores[SCORE_ENTRIES];
    default_scores(names, scores);
    load_scores(names, scores);
    FUZZ_CHECK(pair_agrees(), "after a load the key does not match the score file");
    FUZZ_CHECK(!leftovers(), "a load left a file of an interrupted save");

    const uint32_t seed = input_seed(data, size);
    const int points = static_cast<int>(seed % 400) - 50;
    std::string name;
    for (int i = 0; i < 3; ++i)
        name += " ABCDEFGHIJKLMNOPQRSTUVWXYZ"[(seed >> (8 + 5 * i)) % 27];
    const int rank = insert_score(names, scores, points, name);
    FUZZ_CHECK(rank >= 0 && rank <= SCORE_ENTRIES, "insertion row out of range");
    if (rank == SCORE_ENTRIES)
        return 0;

    FUZZ_CHECK(save_scores(names, scores), "the save failed in a writable directory");
    FUZZ_CHECK(read_bytes(SCORES_PATH) == scores_file_text(names, scores),
               "the saved file does not hold the table");
    FUZZ_CHECK(pair_agrees(), "after a save the key does not match the score file");
    FUZZ_CHECK(!leftovers(), "a save left a temporary file");

    std::string names_again[SCORE_ENTRIES];
    int scores_again[SCORE_ENTRIES];
    default_scores(names_again, scores_again);
    const std::string saved = read_bytes(SCORES_PATH);
    load_scores(names_again, scores_again);
    FUZZ_CHECK(read_bytes(SCORES_PATH) == saved, "the saved table was not taken back");
    bool exact = true;
    for (const std::string& n : names)
        exact = exact && kept_exactly(n);
    if (exact)
        for (int i = 0; i < SCORE_ENTRIES; ++i)
            FUZZ_CHECK(names_again[i] == names[i] && scores_again[i] == scores[i],
                       "row " + std::to_string(i) + " changed between save and load");
    return 0;
}
