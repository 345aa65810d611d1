// Making the score file's file-system calls fail on demand, through its seam. One implementation
// per platform (fs_faults_posix.cpp, fs_faults_windows.cpp), over the seam's table of calls.
#pragma once

#include <cerrno>
#include <string>

struct fs_faults
{
    int fail_at = 0; // the call (counted from 1) that fails, 0 for none
    int error = EIO; // the errno of that failure
    // Like a directory the user may not write: creating, renaming or unlinking a file fails
    // with EACCES (the existing files can still be opened and written).
    bool refuse_new_files = false;
    // Writes to a file opened at this path fail with ENOSPC, as on a full disk.
    std::string full_disk_path;
    // The process kills itself right after call number kill_after has been made, 0 for never:
    // a child stopped at that exact point of a save or a load.
    int kill_after = 0;
    // The table's lock: 0 takes the system's; EWOULDBLOCK finds it held by another game at
    // every try; any other errno makes it unavailable, as on a file system without locks.
    int lock_error = 0;
    int calls = 0; // calls made so far (the lock's own are not counted)
    // Pauses before a call is tried again (on Windows, a replacing move that another program
    // held up): a failure followed by a pause may be survived without a word.
    int pauses = 0;
};

// The errors are given as errno values; on Windows each stands for the system's own error of
// that kind (EIO a write fault, ENOSPC a full disk, EACCES access denied).

// Routes every call of score_fs through `faults` while it lives; the system's calls after.
class fs_fault_scope
{
public:
    explicit fs_fault_scope(fs_faults& faults);
    ~fs_fault_scope();
    fs_fault_scope(const fs_fault_scope&) = delete;
    fs_fault_scope& operator=(const fs_fault_scope&) = delete;
};
