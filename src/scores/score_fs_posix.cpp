// The score file's operations on POSIX systems, through the table of calls score_fs.
#include "scores/score_fs.h"

#include "scores/score_fs_posix.h"

#include <algorithm>

#include "app/log.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

int system_open(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

int system_access(const char* path, int mode)
{
    return faccessat(AT_FDCWD, path, mode, AT_EACCESS);
}

// flock on the directory opened for reading: it creates nothing, needs no write access, and
// lasts until the descriptor is closed, whatever else the process opens and closes (unlike
// fcntl's record locks), or until the process dies.
int system_try_lock(const char* directory)
{
    const int fd = ::open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    errno = error == EINTR ? EWOULDBLOCK : error;
    return -1;
}

void system_unlock(int fd)
{
    ::close(fd);
}

} // namespace

const score_fs_calls score_fs_system = {
    system_open, ::write,       ::fsync,  ::close,     ::rename,        ::unlink,     ::lstat,
    ::readlink,  system_access, ::fchmod, ::ftruncate, system_try_lock, system_unlock};
score_fs_calls score_fs = score_fs_system;

namespace {

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

} // namespace

std::string score_fs_file::directory() const
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// A relative link is read from the link's own directory.
bool score_fs_resolve(const char* path, score_fs_file& file, bool counted)
{
    const score_fs_calls& fs = counted ? score_fs : score_fs_system;
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (fs.lstat(p.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return false;
            file = score_fs_file{p, false, 0, 0};
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            file = score_fs_file{p, true, static_cast<uint32_t>(st.st_mode),
                                 static_cast<uint64_t>(st.st_size)};
            return true;
        }
        char buffer[4096];
        const ssize_t n = fs.readlink(p.c_str(), buffer, sizeof buffer);
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

score_fs_file score_fs_unresolved(const char* path)
{
    return score_fs_file{path, true, 0666, 0};
}

// A file without any write bit is taken as made read-only on purpose, even by the superuser.
score_fs_permission score_fs_permission_of(const score_fs_file& file)
{
    if (!file.exists)
        return score_fs_permission::writable;
    if ((file.attributes & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return score_fs_permission::read_only;
    if (score_fs.access(file.path.c_str(), W_OK) == 0)
        return score_fs_permission::writable;
    return errno == EACCES || errno == EROFS || errno == EPERM ? score_fs_permission::read_only
                                                               : score_fs_permission::unknown;
}

score_fs_written score_fs_write_new(const score_fs_file& file, const std::string& bytes)
{
    const std::string temp = file.temp();
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = score_fs.open(temp.c_str(), flags, 0666);
    if (fd < 0 && errno == EEXIST && score_fs.unlink(temp.c_str()) == 0)
        fd = score_fs.open(temp.c_str(), flags, 0666);
    if (fd < 0)
        return errno == EACCES || errno == EPERM ? score_fs_written::refused
                                                 : score_fs_written::failed;
    bool ok = !file.exists || score_fs.fchmod(fd, file.attributes & 07777) == 0;
    ok = ok && write_all(fd, bytes) && score_fs.fsync(fd) == 0;
    ok = score_fs.close(fd) == 0 && ok;
    if (!ok) {
        score_fs.unlink(temp.c_str());
        return score_fs_written::failed;
    }
    return score_fs_written::written;
}

bool score_fs_replace(const score_fs_file& file)
{
    if (score_fs.rename(file.temp().c_str(), file.path.c_str()) != 0)
        return false;
    sync_directory(file.directory());
    return true;
}

bool score_fs_remove(const std::string& path)
{
    return score_fs.unlink(path.c_str()) == 0;
}

bool score_fs_write_in_place(const score_fs_file& file, const std::string& bytes, uint64_t pad_to)
{
    const int fd = score_fs.open(file.path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0)
        return false;
    std::string padded = bytes;
    if (pad_to > bytes.size())
        padded.append(static_cast<size_t>(pad_to - bytes.size()), ' ');
    bool ok = write_all(fd, padded) &&
              score_fs.ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
              score_fs.fsync(fd) == 0;
    ok = score_fs.close(fd) == 0 && ok;
    return ok;
}

bool score_fs_cut(const score_fs_file& file, uint64_t length)
{
    const int fd = score_fs.open(file.path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool ok = score_fs.ftruncate(fd, static_cast<off_t>(length)) == 0 && score_fs.fsync(fd) == 0;
    ok = score_fs.close(fd) == 0 && ok;
    return ok;
}

// The reads are not in the table of calls: a fault test makes the writes fail, and a load reads
// what they left.
bool score_fs_read_all(const char* path, std::string& bytes, uint64_t limit)
{
    bytes.clear();
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    std::vector<char> buffer(64 * 1024);
    size_t got;
    while (bytes.size() < limit && (got = std::fread(buffer.data(), 1,
                                                     static_cast<size_t>(std::min<uint64_t>(
                                                         buffer.size(), limit - bytes.size())),
                                                     file)) > 0)
        bytes.append(buffer.data(), got);
    if (std::ferror(file) != 0) // a directory, an I/O error: no bytes
        bytes.clear();
    std::fclose(file);
    return true;
}

score_fs_lock_state score_fs_try_lock(const std::string& directory, score_fs_lock& lock)
{
    const int fd = score_fs.try_lock(directory.c_str());
    if (fd >= 0) {
        lock.handle = fd;
        return score_fs_lock_state::held;
    }
    return errno == EWOULDBLOCK ? score_fs_lock_state::busy : score_fs_lock_state::unavailable;
}

void score_fs_unlock(score_fs_lock& lock)
{
    if (lock.handle < 0)
        return;
    score_fs.unlock(static_cast<int>(lock.handle));
    lock.handle = -1;
}
