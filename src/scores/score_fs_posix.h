// The POSIX calls behind the score file's operations (score_fs.h) on Linux, in one table.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

// It holds the system's own calls; a test may point an entry elsewhere (to make the n-th call
// fail, say) and put score_fs_system back afterwards. The reads of the score file and its key
// are not in it.
struct score_fs_calls
{
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* bytes, size_t count);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
    int (*lstat)(const char* path, struct stat* st);
    ssize_t (*readlink)(const char* path, char* buffer, size_t size);
    int (*access)(const char* path, int mode); // with the effective user and group
    int (*fchmod)(int fd, mode_t mode);
    int (*ftruncate)(int fd, off_t length);
    // Tries once to take the table's lock on `directory`: a descriptor that holds it, or -1
    // with errno EWOULDBLOCK when another game holds it (any other errno: no lock to be had).
    int (*try_lock)(const char* directory);
    void (*unlock)(int fd);
};
extern const score_fs_calls score_fs_system;
extern score_fs_calls score_fs;
