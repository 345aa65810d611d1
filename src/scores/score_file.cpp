// Reading and writing the high-score file and its check key.
#include "scores/score_file.h"

#include "app/log.h"
#include "integrity/crc32.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

const char* const SCORES_PATH = "./data/scores.txt";
const char* const KEY_PATH = "./data/scores.cle";
const char* const SCORES_NEW_PATH = "./data/scores.txt.new";
const char* const KEY_NEW_PATH = "./data/scores.cle.new";

void (*score_save_hook)(int step) = nullptr;

namespace {

const char* const DATA_DIR = "./data";

struct check_key
{
    uint32_t crc = 0;
    uint32_t length = 0;

    bool operator==(const check_key& other) const
    {
        return crc == other.crc && length == other.length;
    }
    bool operator!=(const check_key& other) const { return !(*this == other); }
};

check_key key_of(const char* path)
{
    check_key key;
    key.crc = file_crc32(path, &key.length);
    return key;
}

// The two numbers of a key file, separated by any whitespace. A missing file or a number that
// cannot be read leaves the value at 0; true only when both were read.
bool read_key(const char* path, check_key& key)
{
    std::ifstream in(path);
    if (!in)
        return false;
    uint32_t value = 0;
    if (!(in >> value))
        return false;
    key.crc = value;
    if (!(in >> value))
        return false;
    key.length = value;
    return true;
}

std::string key_text(const check_key& key)
{
    return std::to_string(key.crc) + " " + std::to_string(key.length);
}

// Creates or truncates the file, writes the bytes, syncs them to disk and closes it.
bool write_synced(const char* path, const std::string& bytes)
{
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            ok = false;
    }
    if (ok && fsync(fd) != 0)
        ok = false;
    if (close(fd) != 0)
        ok = false;
    return ok;
}

// Renames within data/ and makes the new directory entry durable.
bool replace_file(const char* from, const char* to)
{
    if (std::rename(from, to) != 0)
        return false;
    const int dir = open(DATA_DIR, O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

void reached(int step)
{
    if (score_save_hook != nullptr)
        score_save_hook(step);
}

std::string encode_name(std::string name)
{
    for (char& c : name)
        if (c == ' ')
            c = '_';
    return name;
}

std::string decode_name(std::string name)
{
    for (char& c : name)
        if (c == '_')
            c = ' ';
    return name;
}

// Ten times: a name token (up to the next whitespace), then a signed decimal that ends at the
// first non-digit, which may be the first letter of the next name. The first read that fails
// stores nothing and ends the reading, so the remaining entries keep what they held.
void read_entries(std::istream& in, std::string (&names)[SCORE_ENTRIES],
                  int (&scores)[SCORE_ENTRIES])
{
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        std::string name;
        if (!(in >> name))
            return;
        names[i] = decode_name(name);
        int value = 0;
        if (!(in >> value))
            return;
        scores[i] = value;
    }
}

// The file of a fresh install: every pair followed by one space, the last one included.
std::string default_file_text()
{
    std::string names[SCORE_ENTRIES];
    int scores[SCORE_ENTRIES];
    default_scores(names, scores);
    std::string text;
    for (int i = 0; i < SCORE_ENTRIES; ++i)
        text += names[i] + " " + std::to_string(scores[i]) + " ";
    return text;
}

} // namespace

void default_scores(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES])
{
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        names[i] = "AAA";
        scores[i] = 100 - 10 * i;
    }
}

std::string scores_file_text(const std::string (&names)[SCORE_ENTRIES],
                             const int (&scores)[SCORE_ENTRIES])
{
    std::string text;
    for (int i = 0; i < SCORE_ENTRIES; ++i)
        text += encode_name(names[i]) + " " + std::to_string(scores[i]);
    return text;
}

// A score file that disagrees with its key is deleted and replaced by the default table. One
// exception keeps a save that was cut short from costing the table: save_scores renames the
// new score file into place before the new key, so a kill between the two renames leaves the
// new table beside the old key, with the new key still waiting in scores.cle.new. When that
// pending key matches the score file, the save is completed instead of the table discarded.
void load_scores(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES])
{
    check_key expected;
    read_key(KEY_PATH, expected);
    const check_key actual = key_of(SCORES_PATH);
    bool pending_key_used = false;
    if (actual != expected) {
        check_key pending;
        if (actual.length != 0 && read_key(KEY_NEW_PATH, pending) && pending == actual) {
            write_log("Reprise d'une sauvegarde interrompue des hi_scores", LOG_NO_NUMBER);
            pending_key_used = true;
            replace_file(KEY_NEW_PATH, KEY_PATH); // if it fails, the pending key still vouches
        } else {
            write_log("Fichier hi_scores corrompu.", LOG_NO_NUMBER);
            std::remove(SCORES_PATH);
        }
    }
    // Whatever an interrupted save left behind and did not serve above.
    std::remove(SCORES_NEW_PATH);
    if (!pending_key_used)
        std::remove(KEY_NEW_PATH);

    std::ifstream in(SCORES_PATH);
    if (in) {
        write_log("Chargement des hi_scores.", LOG_NO_NUMBER);
        read_entries(in, names, scores);
        return;
    }

    write_log("Cr\xe9"
              "ation d'un nouveau fichier de hi_scores",
              LOG_NO_NUMBER);
    if (!write_synced(SCORES_NEW_PATH, default_file_text()) ||
        !replace_file(SCORES_NEW_PATH, SCORES_PATH)) {
        std::remove(SCORES_NEW_PATH);
        write_log("Echec de l'\xe9"
                  "criture du fichier de hi_scores",
                  LOG_NO_NUMBER);
    }
    write_check_key();
}

// The order of the steps is what keeps the table safe: both new files are complete and on
// disk before anything is renamed, and the score file is renamed before its key, which
// load_scores knows how to finish (see above). Until the first rename the old pair is intact,
// so a failure there only removes the new files.
bool save_scores(const std::string (&names)[SCORE_ENTRIES], const int (&scores)[SCORE_ENTRIES])
{
    write_log("Sauvegarde des hi_scores", LOG_NO_NUMBER);
    const std::string text = scores_file_text(names, scores);
    bool ok = write_synced(SCORES_NEW_PATH, text);
    if (ok) {
        reached(SAVE_SCORES_TEMP_WRITTEN);
        const check_key key = key_of(SCORES_NEW_PATH);
        ok = key.length == text.size() && write_synced(KEY_NEW_PATH, key_text(key));
    }
    if (ok) {
        reached(SAVE_KEY_TEMP_WRITTEN);
        ok = replace_file(SCORES_NEW_PATH, SCORES_PATH);
    }
    if (!ok) {
        std::remove(SCORES_NEW_PATH);
        std::remove(KEY_NEW_PATH);
        write_log("Echec de la sauvegarde des hi_scores, anciens fichiers conserv\xe9s",
                  LOG_NO_NUMBER);
        return false;
    }
    reached(SAVE_SCORES_RENAMED);
    if (!replace_file(KEY_NEW_PATH, KEY_PATH)) {
        write_log("Echec de la sauvegarde de la cl\xe9 des hi_scores, reprise au prochain "
                  "chargement",
                  LOG_NO_NUMBER);
        return false;
    }
    reached(SAVE_KEY_RENAMED);
    return true;
}

bool write_check_key()
{
    const check_key key = key_of(SCORES_PATH);
    if (write_synced(KEY_NEW_PATH, key_text(key)) && replace_file(KEY_NEW_PATH, KEY_PATH))
        return true;
    std::remove(KEY_NEW_PATH);
    write_log("Echec de l'\xe9"
              "criture de la cl\xe9 des hi_scores",
              LOG_NO_NUMBER);
    return false;
}
