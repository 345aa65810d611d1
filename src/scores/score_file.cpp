// Reading and writing the high-score file and its check key.
#include "scores/score_file.h"

#include "app/log.h"
#include "integrity/crc32.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

const char* const SCORES_PATH = "./data/scores.txt";
const char* const KEY_PATH = "./data/scores.cle";
const char* const SCORES_NEW_PATH = "./data/scores.txt.new";
const char* const KEY_NEW_PATH = "./data/scores.cle.new";

void (*score_save_hook)(int step) = nullptr;

namespace {

int system_open(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

int system_access(const char* path, int mode)
{
    return faccessat(AT_FDCWD, path, mode, AT_EACCESS);
}

} // namespace

const score_fs_calls score_fs_system = {system_open,   ::write,  ::fsync,    ::close,
                                        ::rename,      ::unlink, ::lstat,    ::readlink,
                                        system_access, ::fchmod, ::ftruncate};
score_fs_calls score_fs = score_fs_system;

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

check_key key_of(const char* path)
{
    check_key key;
    key.crc = file_crc32(path, &key.length);
    return key;
}

check_key key_of_bytes(const std::string& bytes)
{
    check_key key;
    key.crc = static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                          reinterpret_cast<const Bytef*>(bytes.data()),
                                          static_cast<uInt>(bytes.size())));
    key.length = static_cast<uint32_t>(bytes.size());
    return key;
}

// The numbers of a key file, separated by any whitespace. A missing file or a number that
// cannot be read leaves the value at 0; true only when both were read. A save made in place
// (see save_in_place) leaves a second pair behind the first while it runs: *second takes it
// when it is there.
bool read_key(const char* path, check_key& key, check_key* second = nullptr)
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
    check_key next;
    if (second != nullptr && in >> next.crc >> next.length)
        *second = next;
    return true;
}

std::string key_text(const check_key& key)
{
    return std::to_string(key.crc) + " " + std::to_string(key.length);
}

std::string read_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A file the score file's writers are about to replace: the path of the file itself once
// symbolic links are followed, whether it is there, and its mode.
struct target
{
    std::string path;
    bool exists = false;
    mode_t mode = 0;

    std::string temp() const { return path + ".new"; }
    std::string directory() const
    {
        const size_t slash = path.rfind('/');
        return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    }
};

// Follows the links from `path` to the file they end at, which may not exist yet (a dangling
// link names the file to create). A relative link is read from the link's own directory.
bool resolve(const char* path, target& t)
{
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (score_fs.lstat(p.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return false;
            t = target{p, false, 0};
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            t = target{p, true, st.st_mode};
            return true;
        }
        char buffer[4096];
        const ssize_t n = score_fs.readlink(p.c_str(), buffer, sizeof buffer);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer)
            return false;
        std::string to(buffer, static_cast<size_t>(n));
        if (to[0] != '/') {
            const size_t slash = p.rfind('/');
            to = (slash == std::string::npos ? std::string() : p.substr(0, slash + 1)) + to;
        }
        p = to;
    }
    return false;
}

enum class permission
{
    writable,
    read_only,
    unknown // the check itself failed
};

// A file the player may not write, or one without any write bit (which even the superuser
// takes as made read-only on purpose), is left alone.
permission permission_of(const target& t)
{
    if (!t.exists)
        return permission::writable;
    if ((t.mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return permission::read_only;
    if (score_fs.access(t.path.c_str(), W_OK) == 0)
        return permission::writable;
    return errno == EACCES || errno == EROFS || errno == EPERM ? permission::read_only
                                                               : permission::unknown;
}

bool write_all(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = score_fs.write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (!(n < 0 && errno == EINTR))
            return false;
    }
    return true;
}

enum class temp_result
{
    written,
    refused, // the directory does not let this user create a file
    failed
};

// Creates target.new (never through a link: a file of that name left by an earlier run is
// removed first), gives it the mode of the file it is to replace, writes the bytes and syncs
// them. Nothing is left behind on failure.
temp_result write_temp(const target& t, const std::string& bytes)
{
    const std::string temp = t.temp();
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = score_fs.open(temp.c_str(), flags, 0666);
    if (fd < 0 && errno == EEXIST && score_fs.unlink(temp.c_str()) == 0)
        fd = score_fs.open(temp.c_str(), flags, 0666);
    if (fd < 0)
        return errno == EACCES || errno == EPERM ? temp_result::refused : temp_result::failed;
    bool ok = !t.exists || score_fs.fchmod(fd, t.mode & 07777) == 0;
    ok = ok && write_all(fd, bytes) && score_fs.fsync(fd) == 0;
    ok = score_fs.close(fd) == 0 && ok;
    if (!ok) {
        score_fs.unlink(temp.c_str());
        return temp_result::failed;
    }
    return temp_result::written;
}

// Makes a rename in the directory durable; a failure is only logged, the rename has been done.
void sync_directory(const std::string& directory)
{
    const int fd = score_fs.open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    bool ok = fd >= 0 && score_fs.fsync(fd) == 0;
    if (fd >= 0)
        ok = score_fs.close(fd) == 0 && ok;
    if (!ok)
        write_log("Echec de la synchronisation du dossier des hi_scores", LOG_NO_NUMBER);
}

bool rename_temp(const target& t)
{
    if (score_fs.rename(t.temp().c_str(), t.path.c_str()) != 0)
        return false;
    sync_directory(t.directory());
    return true;
}

// Rewrites an existing file through its own inode, as the game did before it saved through
// new files: the bytes over the old ones from the start, then the length cut, then a sync.
bool write_in_place(const target& t, const std::string& bytes)
{
    const int fd = score_fs.open(t.path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool ok = write_all(fd, bytes) &&
              score_fs.ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
              score_fs.fsync(fd) == 0;
    ok = score_fs.close(fd) == 0 && ok;
    return ok;
}

// One file replaced by the save rules: left alone without write permission, else through
// target.new and a rename, else (the directory refusing new files) in place.
bool replace_one(const char* path, const std::string& bytes)
{
    target t;
    if (!resolve(path, t))
        return false;
    switch (permission_of(t)) {
    case permission::writable:
        break;
    case permission::read_only:
        write_log(READ_ONLY, LOG_NO_NUMBER);
        return false;
    case permission::unknown:
        return false;
    }
    switch (write_temp(t, bytes)) {
    case temp_result::written:
        if (rename_temp(t))
            return true;
        score_fs.unlink(t.temp().c_str());
        return false;
    case temp_result::refused:
        if (!t.exists)
            return false;
        write_log(IN_PLACE, LOG_NO_NUMBER);
        return write_in_place(t, bytes);
    case temp_result::failed:
        break;
    }
    return false;
}

// The save for a directory that refuses new files. There is no way to swap both files at
// once, so the key first vouches for the old and the new score file together ("NEW OLD"),
// then the score file is rewritten, then the key is rewritten from the score file as it lies
// on disk. A failure at any step puts back what it touched; the load accepts either pair.
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
    if (!write_in_place(k, both)) {
        write_in_place(k, old_key);
        write_log(SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    if (!write_in_place(s, text)) {
        write_in_place(s, old_scores);
        write_log(SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    if (!write_in_place(k, key_text(key_of(s.path.c_str())))) {
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

// A score file that disagrees with its key is deleted and replaced by the default table. Two
// exceptions keep a save that was cut short from costing the table. save_scores renames the
// new score file into place before the new key, so a kill between the two renames leaves the
// new table beside the old key, with the new key still waiting in scores.cle.new: when that
// pending key matches the score file, the save is completed. A save made in place leaves a
// key that holds two pairs while it runs: a score file that matches either is taken, and the
// key is rewritten. Files that may not be written are never deleted or rewritten.
void load_scores(std::string (&names)[SCORE_ENTRIES], int (&scores)[SCORE_ENTRIES])
{
    target s, k;
    if (!resolve(SCORES_PATH, s))
        s = target{SCORES_PATH, true, 0666};
    if (!resolve(KEY_PATH, k))
        k = target{KEY_PATH, true, 0666};
    check_key expected, second;
    read_key(KEY_PATH, expected, &second);
    const check_key actual = key_of(SCORES_PATH);
    const bool two_pairs = second != check_key();
    bool pending_key_used = false;
    bool corrupt = false;
    if (actual != expected && two_pairs && actual == second) {
        write_log(RESUMED, LOG_NO_NUMBER);
    } else if (actual != expected) {
        check_key pending;
        if (actual.length != 0 && read_key(k.temp().c_str(), pending) && pending == actual) {
            write_log(RESUMED, LOG_NO_NUMBER);
            pending_key_used = true;
            if (score_fs.rename(k.temp().c_str(), k.path.c_str()) == 0)
                sync_directory(k.directory()); // if it fails, the pending key still vouches
        } else {
            corrupt = true;
        }
    }
    // Whatever an interrupted save left behind and did not serve above.
    score_fs.unlink(s.temp().c_str());
    if (!pending_key_used)
        score_fs.unlink(k.temp().c_str());

    if (corrupt) {
        write_log("Fichier hi_scores corrompu.", LOG_NO_NUMBER);
        if (permission_of(s) == permission::read_only ||
            permission_of(k) == permission::read_only) {
            write_log(READ_ONLY, LOG_NO_NUMBER);
            return;
        }
        score_fs.unlink(s.path.c_str()); // in a directory that refuses it, rewritten in place
    } else {
        std::ifstream in(SCORES_PATH);
        if (in) {
            write_log("Chargement des hi_scores.", LOG_NO_NUMBER);
            read_entries(in, names, scores);
            if (two_pairs)
                write_check_key();
            return;
        }
    }

    write_log("Cr\xe9"
              "ation d'un nouveau fichier de hi_scores",
              LOG_NO_NUMBER);
    if (!replace_one(SCORES_PATH, default_file_text()))
        write_log("Echec de l'\xe9"
                  "criture du fichier de hi_scores",
                  LOG_NO_NUMBER);
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
    target s, k;
    if (!resolve(SCORES_PATH, s) || !resolve(KEY_PATH, k)) {
        write_log(SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    const permission ps = permission_of(s);
    const permission pk = ps == permission::writable ? permission_of(k) : ps;
    if (pk != permission::writable) {
        write_log(pk == permission::read_only ? READ_ONLY : SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    temp_result result = write_temp(s, text);
    if (result == temp_result::written) {
        reached(SAVE_SCORES_TEMP_WRITTEN);
        const check_key key = key_of(s.temp().c_str());
        result = key.length == text.size() ? write_temp(k, key_text(key)) : temp_result::failed;
        if (result != temp_result::written)
            score_fs.unlink(s.temp().c_str());
    }
    if (result == temp_result::refused)
        return save_in_place(s, k, text);
    if (result == temp_result::written) {
        reached(SAVE_KEY_TEMP_WRITTEN);
        if (!rename_temp(s))
            result = temp_result::failed;
    }
    if (result != temp_result::written) {
        score_fs.unlink(s.temp().c_str());
        score_fs.unlink(k.temp().c_str());
        write_log(SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    reached(SAVE_SCORES_RENAMED);
    if (!rename_temp(k)) {
        write_log(KEY_SAVE_FAILED, LOG_NO_NUMBER);
        return false;
    }
    reached(SAVE_KEY_RENAMED);
    return true;
}

bool write_check_key()
{
    if (replace_one(KEY_PATH, key_text(key_of(SCORES_PATH))))
        return true;
    write_log("Echec de l'\xe9"
              "criture de la cl\xe9 des hi_scores",
              LOG_NO_NUMBER);
    return false;
}
