// Making the score file's file-system calls fail on demand, through its seam: the POSIX calls.
#include "support/fs_faults.h"

#include "scores/score_fs_posix.h"
#include "support/system.h"

#include <fcntl.h>
#include <set>
#include <unistd.h>

namespace {

fs_faults* active = nullptr;
std::set<int> full_disk_fds;

bool fails()
{
    ++active->calls;
    if (active->calls == active->fail_at) {
        errno = active->error;
        return true;
    }
    return false;
}

// The call just made was the one to stop at.
template <typename T> T made(T result)
{
    if (active->kill_after != 0 && active->calls == active->kill_after)
        test_system::kill_self();
    return result;
}

bool refused()
{
    if (!active->refuse_new_files)
        return false;
    errno = EACCES;
    return true;
}

int f_open(const char* path, int flags, mode_t mode)
{
    if (fails() || ((flags & O_CREAT) != 0 && refused()))
        return made(-1);
    const int fd = score_fs_system.open(path, flags, mode);
    if (fd >= 0 && !active->full_disk_path.empty() && active->full_disk_path == path)
        full_disk_fds.insert(fd);
    return made(fd);
}

ssize_t f_write(int fd, const void* bytes, size_t count)
{
    if (fails())
        return made(-1);
    if (full_disk_fds.count(fd) != 0) {
        errno = ENOSPC;
        return made(-1);
    }
    return made(score_fs_system.write(fd, bytes, count));
}

int f_fsync(int fd)
{
    return made(fails() ? -1 : score_fs_system.fsync(fd));
}

int f_close(int fd)
{
    full_disk_fds.erase(fd);
    const int result = score_fs_system.close(fd); // a failed close still releases the fd
    return made(fails() ? -1 : result);
}

int f_rename(const char* from, const char* to)
{
    return made(fails() || refused() ? -1 : score_fs_system.rename(from, to));
}

int f_unlink(const char* path)
{
    return made(fails() || refused() ? -1 : score_fs_system.unlink(path));
}

int f_lstat(const char* path, struct stat* st)
{
    return made(fails() ? -1 : score_fs_system.lstat(path, st));
}

ssize_t f_readlink(const char* path, char* buffer, size_t size)
{
    return made(fails() ? -1 : score_fs_system.readlink(path, buffer, size));
}

int f_access(const char* path, int mode)
{
    return made(fails() ? -1 : score_fs_system.access(path, mode));
}

int f_fchmod(int fd, mode_t mode)
{
    return made(fails() ? -1 : score_fs_system.fchmod(fd, mode));
}

int f_ftruncate(int fd, off_t length)
{
    return made(fails() ? -1 : score_fs_system.ftruncate(fd, length));
}

int f_try_lock(const char* directory)
{
    if (active->lock_error != 0) {
        errno = active->lock_error;
        return -1;
    }
    return score_fs_system.try_lock(directory);
}

void f_unlock(int fd)
{
    score_fs_system.unlock(fd);
}

} // namespace

fs_fault_scope::fs_fault_scope(fs_faults& faults)
{
    active = &faults;
    score_fs =
        score_fs_calls{f_open,     f_write,  f_fsync,  f_close,     f_rename,   f_unlink, f_lstat,
                       f_readlink, f_access, f_fchmod, f_ftruncate, f_try_lock, f_unlock};
}

fs_fault_scope::~fs_fault_scope()
{
    score_fs = score_fs_system;
    active = nullptr;
    full_disk_fds.clear();
}
