// The file operations the score file is loaded and saved with. Each platform has its own
// implementation (score_fs_posix.cpp, score_fs_windows.cpp), chosen when the game is built; the
// rules of the load and the save (score_file.cpp) see only these operations and raw bytes.
#pragma once

#include <cstdint>
#include <string>

// A file the score file's writers may replace: the path of the file itself once links are
// followed, whether it is there, its platform attributes (the mode bits on POSIX, the file
// attributes on Windows) and its size.
struct score_fs_file
{
    std::string path;
    bool exists = false;
    uint32_t attributes = 0;
    uint64_t size = 0;

    std::string temp() const { return path + ".new"; }
    std::string directory() const;
};

// Where `path` ends once links are followed; the file may not exist yet (a dangling link names
// the file to create). False when that cannot be told. `counted` false uses the platform's own
// calls even while a test has replaced them (to find which directory is locked, say).
bool score_fs_resolve(const char* path, score_fs_file& file, bool counted = true);

// The file as taken when resolve failed: there, at `path`, and writable as far as its
// attributes tell.
score_fs_file score_fs_unresolved(const char* path);

enum class score_fs_permission
{
    writable,
    read_only,
    unknown // the check itself failed
};

// A file that is not there is writable; one the player may not write, or one marked read-only,
// is read_only.
score_fs_permission score_fs_permission_of(const score_fs_file& file);

enum class score_fs_written
{
    written,
    refused, // the directory does not let this user create a file
    failed
};

// Creates file.temp() exclusively, never through a link (a file of that name left by an earlier
// run is removed first), with the attributes of `file` when it exists, writes the bytes and
// flushes them to disk. Nothing is left behind on failure.
score_fs_written score_fs_write_new(const score_fs_file& file, const std::string& bytes);

// Moves file.temp() over file.path in one step and makes the move durable (a failure of that
// last part is only logged: the move has been done). False when the move failed.
bool score_fs_replace(const score_fs_file& file);

// Removes the file at `path` (not through a link). False when it could not be removed.
bool score_fs_remove(const std::string& path);

// Rewrites an existing file through its own inode: the bytes over the old ones from the start,
// padded with spaces to `pad_to` bytes when they are shorter, then the file cut to the bytes'
// length, then flushed to disk. A key is padded (its reader skips spaces) to the length of the
// key it replaces, so that no byte of a longer key is left behind the new one should the process
// die between the write and the cut. A score file is never padded: the load finds a table
// followed by the rest of a longer one instead.
bool score_fs_write_in_place(const score_fs_file& file, const std::string& bytes,
                             uint64_t pad_to = 0);

// Cuts the file to `length` bytes, through its own inode, and flushes it to disk.
bool score_fs_cut(const score_fs_file& file, uint64_t length);

// The file's bytes exactly as on disk (no translation of line ends, no stop at any byte), the
// first `limit` of them at most. False when it cannot be opened; a file that opens but cannot
// be read gives no bytes.
bool score_fs_read_all(const char* path, std::string& bytes, uint64_t limit = UINT64_MAX);

// The table's lock on a directory, tried once: it creates nothing in the directory, needs only
// read access to it, and is released when its holder dies. On POSIX, flock on the directory; on
// Windows, a named mutex keyed by the directory's final path.
enum class score_fs_lock_state
{
    held,
    busy,       // another game holds it
    unavailable // no lock to be had here
};
struct score_fs_lock
{
    std::intptr_t handle = -1;
};
score_fs_lock_state score_fs_try_lock(const std::string& directory, score_fs_lock& lock);
void score_fs_unlock(score_fs_lock& lock);
