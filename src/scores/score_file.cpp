// Reading and writing the high-score file and its check key.
#include "scores/score_file.h"

#include "app/log.h"
#include "scores/insertion.h"
#include "scores/score_fs.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iomanip>
#include <sstream>
#include <thread>
#include <zlib.h>

const char* const SCORES_PATH = "./data/scores.txt";
const char* const KEY_PATH = "./data/scores.cle";
const char* const SCORES_NEW_PATH = "./data/scores.txt.new";
const char* const KEY_NEW_PATH = "./data/scores.cle.new";

void (*score_save_hook)(int step) = nullptr;
int score_lock_wait_ms = 3000;

namespace {

const char* const SAVE_FAILED =
    "Echec de la sauvegarde des hi_scores, anciens fichiers conserv\xe9s";
const char* const KEY_SAVE_FAILED =
    "Echec de la sauvegarde de la cl\xe9 des hi_scores, reprise au prochain chargement";
const char* const READ_ONLY = "Fichiers de hi_scores en lecture seule, laiss\xe9s tels quels";
const char* const IN_PLACE = "Cr\xe9"
                             "ation refus\xe9"
                             "e dans le dossier des hi_scores, \xe9"
                             "criture sur place";
const char* const RESUMED = "Reprise d'une sauvegarde interrompue des hi_scores";
const char* const CHANGED = "Fichier hi_scores modifi\xe9 par une autre partie, nouvelle lecture";
const char* const LOCK_LOAD = "Verrou des hi_scores non obtenu, chargement sans \xe9"
                              "criture";
const char* const LOCK_SAVE = "Verrou des hi_scores non obtenu, r\xe9sultat non sauvegard\xe9";
const char* const LOCK_KEY = "Verrou des hi_scores non obtenu, cl\xe9 non r\xe9\xe9"
                             "crite";
const char* const NO_LOCK = "Verrouillage des hi_scores impossible, poursuite sans verrou";
const char* const PUSHED_OUT =
    "R\xe9sultat sorti du tableau par une autre partie, non sauvegard\xe9";

// Longest score file whose beginning may be taken as a table written in place (see
// load_locked): a table the game writes is far shorter.
constexpr uint32_t PREFIX_LIMIT = 64 * 1024;

// A score file is read whole, so one larger than this is taken as damaged, not read: a table
// the game writes is a few hundred bytes, and no file may cost the game its memory. A key is
// two numbers: only its beginning is read.
constexpr uint64_t SCORE_FILE_LIMIT = 128 * 1024 * 1024;
constexpr uint64_t KEY_READ_LIMIT = 1024 * 1024;

// Longest name token read from the score file: a name is shown with four characters at most,
// and a file of any size must not turn into one string of that size.
constexpr int NAME_TOKEN_LIMIT = 256;

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

check_key key_of_bytes(const std::string& bytes)
{
    check_key key;
    key.crc = static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                          reinterpret_cast<const Bytef*>(bytes.data()),
                                          static_cast<uInt>(bytes.size())));
    key.length = static_cast<uint32_t>(bytes.size());
    return key;
}

// The file's bytes, none when it cannot be read.
std::string read_bytes(const std::string& path)
{
    std::string bytes;
    score_fs_read_all(path.c_str(), bytes, SCORE_FILE_LIMIT);
    return bytes;
}

// 0 and 0 for a file that cannot be read.
check_key key_of(const std::string& path)
{
    return key_of_bytes(read_bytes(path));
}

// The numbers of a key file, separated by any whitespace. A missing file or a number that
// cannot be read leaves the value at 0; true only when both were read. A save made in place
// (see save_in_place) leaves a second pair behind the first while it runs: *second takes it
// when it is there.
bool read_key(const std::string& path, check_key& key, check_key* second = nullptr)
{
    std::string bytes;
    if (!score_fs_read_all(path.c_str(), bytes, KEY_READ_LIMIT))
        return false;
    std::istringstream in(bytes);
    uint32_t value = 0;
    if (!(in >> value))
        return false;
    key.crc = value;
    if (!(in >> value))
        return false;
    key.length = value;
    check_key next;
    if (second != nullptr && in >> next.crc >> next.length)
        *second = next;
    return true;
}

std::string key_text(const check_key& key)
{
    return std::to_string(key.crc) + " " + std::to_string(key.length);
}

using target = score_fs_file;
using permission = score_fs_permission;
using temp_result = score_fs_written;

// One file replaced by the save rules: left alone without write permission, else through
// target.new and a rename, else (the directory refusing new files) in place. `is_key` pads an
// in-place write to the length of the key it replaces.
bool replace_one(const char* path, const std::string& bytes, bool is_key)
{
    target t;
    if (!score_fs_resolve(path, t))
        return false;
    switch (score_fs_permission_of(t)) {
    case permission::writable:
        break;
    case permission::read_only:
        write_log(READ_ONLY, LOG_NO_NUMBER);
        return false;
    case permission::unknown:
        return false;
    }
    switch (score_fs_write_new(t, bytes)) {
    case temp_result::written:
        if (score_fs_replace(t))
            return true;
        score_fs_remove(t.temp());
        return false;
    case temp_result::refused:
        if (!t.exists)
            return false;
        write_log(IN_PLACE, LOG_NO_NUMBER);
        return score_fs_write_in_place(t, bytes, is_key ? t.size : 0);
    case temp_result::failed:
        break;
    }
    return false;
}

// The save for a directory that refuses new files. There is no way to swap both files at
// once, so the key first vouches for the new and the old score file together ("NEW OLD"),
// then the score file is rewritten, then the key is rewritten from the score file as it lies
// on disk. A failure at any step puts back what it touched. Every write of the key is padded
// to the longest key it may cover, and a kill between the score file's write and its cut
// leaves one table followed by the rest of the other, which the load accepts while the key
// holds both: so a kill at any point leaves the old table or the new one.
bool save_in_place(const target& s, const target& k, const std::string& text)
{
    write_log(IN_PLACE, LOG_NO_NUMBER);
    if (!s.exists || !k.exists) {
        write_log(SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    const std::string old_scores = read_bytes(s.path);
    const std::string old_key = read_bytes(k.path);
    const std::string both =
        key_text(key_of_bytes(text)) + " " + key_text(key_of_bytes(old_scores));
    const uint64_t key_room = std::max(old_key.size(), both.size());
    if (!score_fs_write_in_place(k, both, key_room)) {
        score_fs_write_in_place(k, old_key, key_room);
        write_log(SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    if (!score_fs_write_in_place(s, text)) {
        score_fs_write_in_place(s, old_scores);
        write_log(SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    if (!score_fs_write_in_place(k, key_text(key_of(s.path)), key_room)) {
        write_log(KEY_SAVE_FAILED, LOG_NO_NUMBER);
        return false;
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
// first non-digit, which may be the first letter of the next name (a longer name token is
// cut at NAME_TOKEN_LIMIT bytes, whose rest then fails as a number). The first read that fails
// stores nothing and ends the reading, so the remaining entries keep what they held.
void read_entries(std::istream& in, std::string (&names)[SCORE_ENTRIES],
                  int (&scores)[SCORE_ENTRIES])
{
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        std::string name;
        if (!(in >> std::setw(NAME_TOKEN_LIMIT) >> name))
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

namespace {

// The lock of the table, held for the life of the object. Operations nest (a load rewrites the
// key, the end of a name entry loads and saves): only the outermost one takes the lock, and
// the inner ones share what it got.
class table_lock
{
public:
    enum state
    {
        held,
        timed_out,  // another game held it past the wait: nothing may be written
        unavailable // no lock on this file system: the operations go on as they did without
    };

    table_lock()
    {
        if (depth++ > 0)
            return;
        outer_state = take();
    }
    ~table_lock()
    {
        if (--depth > 0)
            return;
        score_fs_unlock(lock);
    }
    table_lock(const table_lock&) = delete;
    table_lock& operator=(const table_lock&) = delete;

    bool may_write() const { return outer_state != timed_out; }

private:
    // The lock is on the directory of the score file once links are followed; it is tried
    // every 20 ms until the wait is over.
    static state take()
    {
        // Found with the system's own calls: which directory is locked is not part of a save
        // whose calls a test makes fail.
        target s;
        if (!score_fs_resolve(SCORES_PATH, s, false))
            s = target{SCORES_PATH, false, 0, 0};
        const std::string directory = s.directory();
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(score_lock_wait_ms);
        for (;;) {
            const score_fs_lock_state tried = score_fs_try_lock(directory, lock);
            if (tried == score_fs_lock_state::held)
                return held;
            if (tried == score_fs_lock_state::unavailable)
                break;
            if (std::chrono::steady_clock::now() >= deadline)
                return timed_out;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!no_lock_logged) {
            write_log(NO_LOCK, LOG_NO_NUMBER);
            no_lock_logged = true;
        }
        return unavailable;
    }

    static int depth;
    static score_fs_lock lock;
    static state outer_state;
    static bool no_lock_logged;
};

int table_lock::depth = 0;
score_fs_lock table_lock::lock;
table_lock::state table_lock::outer_state = table_lock::held;
bool table_lock::no_lock_logged = false;

bool write_key_locked()
{
    if (replace_one(KEY_PATH, key_text(key_of(SCORES_PATH)), true))
        return true;
    write_log("Echec de l'\xe9"
              "criture de la cl\xe9 des hi_scores",
              LOG_NO_NUMBER);
    return false;
}

// A score file that disagrees with its key is deleted and replaced by the default table.
// Three exceptions keep a save that was cut short from costing the table. save_scores renames
// the new score file into place before the new key, so a kill between the two renames leaves
// the new table beside the old key, with the new key still waiting in scores.cle.new: when
// that pending key matches the score file, the save is completed. A save made in place leaves
// a key that holds two pairs while it runs: a score file that matches either is taken, and the
// key is rewritten; and so is a score file that begins with exactly the table of either pair
// (a shorter table written over a longer one, the process killed before the cut), which is
// then cut there. Files that may not be written are never deleted or rewritten, and neither is
// anything when `may_write` is false (another game holds the table).
void load_locked(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES], bool may_write)
{
    target s, k;
    if (!score_fs_resolve(SCORES_PATH, s))
        s = score_fs_unresolved(SCORES_PATH);
    if (!score_fs_resolve(KEY_PATH, k))
        k = score_fs_unresolved(KEY_PATH);
    check_key expected, second;
    read_key(KEY_PATH, expected, &second);
    std::string bytes;
    const bool scores_there = score_fs_read_all(SCORES_PATH, bytes, SCORE_FILE_LIMIT + 1);
    const bool too_large = bytes.size() > SCORE_FILE_LIMIT;
    const check_key actual = key_of_bytes(too_large ? std::string() : bytes);
    const bool two_pairs = second != check_key();
    bool pending_key_used = false;
    bool corrupt = false;
    uint32_t table_length = 0; // when the table is only the start of the file
    if (too_large) {
        bytes.clear();
        corrupt = true;
    } else if (actual != expected && two_pairs && actual == second) {
        write_log(RESUMED, LOG_NO_NUMBER);
    } else if (actual != expected && two_pairs) {
        for (const check_key& pair : {expected, second})
            if (table_length == 0 && pair.length > 0 && pair.length < actual.length &&
                pair.length <= PREFIX_LIMIT && key_of_bytes(bytes.substr(0, pair.length)) == pair)
                table_length = pair.length;
        if (table_length != 0)
            write_log(RESUMED, LOG_NO_NUMBER);
        else
            corrupt = true;
    } else if (actual != expected) {
        check_key pending;
        if (actual.length != 0 && read_key(k.temp(), pending) && pending == actual) {
            write_log(RESUMED, LOG_NO_NUMBER);
            pending_key_used = true;
            if (may_write)
                score_fs_replace(k); // if it fails, the pending key still vouches
        } else {
            corrupt = true;
        }
    }
    // Whatever an interrupted save left behind and did not serve above.
    if (may_write) {
        score_fs_remove(s.temp());
        if (!pending_key_used)
            score_fs_remove(k.temp());
    }

    if (corrupt) {
        write_log("Fichier hi_scores corrompu.", LOG_NO_NUMBER);
        if (!may_write)
            return;
        if (score_fs_permission_of(s) == permission::read_only ||
            score_fs_permission_of(k) == permission::read_only) {
            write_log(READ_ONLY, LOG_NO_NUMBER);
            return;
        }
        score_fs_remove(s.path); // in a directory that refuses it, rewritten in place
    } else if (scores_there) {
        write_log("Chargement des hi_scores.", LOG_NO_NUMBER);
        std::istringstream table(table_length != 0 ? bytes.substr(0, table_length) : bytes);
        read_entries(table, names, scores);
        const bool writable = may_write && score_fs_permission_of(s) == permission::writable &&
                              score_fs_permission_of(k) == permission::writable;
        if (table_length != 0 && writable && score_fs_cut(s, table_length))
            write_key_locked();
        else if (two_pairs && table_length == 0 && may_write)
            write_key_locked();
        return;
    }

    write_log("Cr\xe9"
              "ation d'un nouveau fichier de hi_scores",
              LOG_NO_NUMBER);
    if (!replace_one(SCORES_PATH, default_file_text(), false))
        write_log("Echec de l'\xe9"
                  "criture du fichier de hi_scores",
                  LOG_NO_NUMBER);
    write_key_locked();
}

score_table_seen seen_now()
{
    const check_key now = key_of(SCORES_PATH);
    return score_table_seen{now.crc, now.length};
}

// The order of the steps is what keeps the table safe: both new files are complete and on
// disk before anything is renamed, and the score file is renamed before its key, which
// load_locked knows how to finish (see above). Until the first rename the old pair is intact,
// so a failure there only removes the new files.
bool save_locked(const std::string (&names)[SCORE_ENTRIES], const int (&scores)[SCORE_ENTRIES])
{
    write_log("Sauvegarde des hi_scores", LOG_NO_NUMBER);
    const std::string text = scores_file_text(names, scores);
    target s, k;
    if (!score_fs_resolve(SCORES_PATH, s) || !score_fs_resolve(KEY_PATH, k)) {
        write_log(SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    const permission ps = score_fs_permission_of(s);
    const permission pk = ps == permission::writable ? score_fs_permission_of(k) : ps;
    if (pk != permission::writable) {
        write_log(pk == permission::read_only ? READ_ONLY : SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    temp_result result = score_fs_write_new(s, text);
    if (result == temp_result::written) {
        reached(SAVE_SCORES_TEMP_WRITTEN);
        const check_key key = key_of(s.temp());
        result =
            key.length == text.size() ? score_fs_write_new(k, key_text(key)) : temp_result::failed;
        if (result != temp_result::written)
            score_fs_remove(s.temp());
    }
    if (result == temp_result::refused)
        return save_in_place(s, k, text);
    if (result == temp_result::written) {
        reached(SAVE_KEY_TEMP_WRITTEN);
        if (!score_fs_replace(s))
            result = temp_result::failed;
    }
    if (result != temp_result::written) {
        score_fs_remove(s.temp());
        score_fs_remove(k.temp());
        write_log(SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    reached(SAVE_SCORES_RENAMED);
    if (!score_fs_replace(k)) {
        write_log(KEY_SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    reached(SAVE_KEY_RENAMED);
    return true;
}

} // namespace

void load_scores(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES],
                 score_table_seen* seen)
{
    table_lock lock;
    if (!lock.may_write())
        write_log(LOCK_LOAD, LOG_NO_NUMBER);
    load_locked(names, scores, lock.may_write());
    if (seen != nullptr)
        *seen = seen_now();
}

bool save_scores(const std::string (&names)[SCORE_ENTRIES], const int (&scores)[SCORE_ENTRIES])
{
    table_lock lock;
    if (!lock.may_write()) {
        write_log(LOCK_SAVE, LOG_NO_NUMBER);
        return false;
    }
    return save_locked(names, scores);
}

bool write_check_key()
{
    table_lock lock;
    if (!lock.may_write()) {
        write_log(LOCK_KEY, LOG_NO_NUMBER);
        return false;
    }
    return write_key_locked();
}

// Two games may both be in a name entry on one table: the second to finish must not write
// back the copy it loaded over the first one's result. So the table on disk is read again,
// under the lock, unless it is still the one this game loaded, and the result goes into that.
int record_result(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES],
                  score_table_seen& seen, int points, const std::string& name)
{
    table_lock lock;
    if (!lock.may_write()) {
        const int row = insert_score(names, scores, points, name);
        write_log(LOCK_SAVE, LOG_NO_NUMBER);
        return row < SCORE_ENTRIES ? row : -1;
    }
    const check_key now = key_of(SCORES_PATH);
    if (now.crc != seen.crc || now.length != seen.length) {
        write_log(CHANGED, LOG_NO_NUMBER);
        default_scores(names, scores);
        load_locked(names, scores, true);
        seen = seen_now();
    }
    const int row = insert_score(names, scores, points, name);
    if (row >= SCORE_ENTRIES) {
        write_log(PUSHED_OUT, LOG_NO_NUMBER);
        return -1;
    }
    save_locked(names, scores);
    seen = seen_now();
    return row;
}
