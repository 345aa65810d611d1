// Making the score file's file-system calls fail on demand, through its seam.
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
    int calls = 0; // calls made so far
};

// Routes every call of score_fs through `faults` while it lives; the system's calls after.
class fs_fault_scope
{
public:
    explicit fs_fault_scope(fs_faults& faults);
    ~fs_fault_scope();
    fs_fault_scope(const fs_fault_scope&) = delete;
    fs_fault_scope& operator=(const fs_fault_scope&) = delete;
};
