// Making the score file's file-system calls fail on demand, through its seam: the Win32 calls.
// The lock's own calls (the folder opened to find its final path, the named mutex) are not
// counted, as on POSIX where the lock is one entry of the table.
#include "support/fs_faults.h"

#include "scores/score_fs_windows.h"
#include "support/system.h"

#include <set>
#include <string>

namespace {

fs_faults* active = nullptr;
std::wstring full_disk_path; // active->full_disk_path as the calls get it
std::set<HANDLE> full_disk_handles;
std::set<HANDLE> lock_handles; // the folder and the mutex the lock opens: not counted

DWORD system_error(int error)
{
    switch (error) {
    case ENOSPC:
        return ERROR_DISK_FULL;
    case EACCES:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_WRITE_FAULT;
    }
}

bool fails()
{
    ++active->calls;
    if (active->calls == active->fail_at) {
        SetLastError(system_error(active->error));
        return true;
    }
    return false;
}

// The call just made was the one to stop at. The call's own error is kept for its caller.
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
    SetLastError(ERROR_ACCESS_DENIED);
    return true;
}

HANDLE WINAPI f_create_file(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE template_file)
{
    if ((flags & FILE_FLAG_BACKUP_SEMANTICS) != 0) { // a folder: the lock's
        HANDLE h = score_win32_system.create_file(path, access, share, security, disposition, flags,
                                                  template_file);
        if (h != INVALID_HANDLE_VALUE)
            lock_handles.insert(h);
        return h;
    }
    if (fails() || (disposition == CREATE_NEW && refused()))
        return made(INVALID_HANDLE_VALUE);
    HANDLE h = score_win32_system.create_file(path, access, share, security, disposition, flags,
                                              template_file);
    if (h != INVALID_HANDLE_VALUE && !full_disk_path.empty() && full_disk_path == path)
        full_disk_handles.insert(h);
    return made(h);
}

BOOL WINAPI f_write_file(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written,
                         LPOVERLAPPED overlapped)
{
    if (fails())
        return made(FALSE);
    if (full_disk_handles.count(file) != 0) {
        SetLastError(ERROR_DISK_FULL);
        return made(FALSE);
    }
    return made(score_win32_system.write_file(file, bytes, count, written, overlapped));
}

BOOL WINAPI f_flush_file_buffers(HANDLE file)
{
    return made(fails() ? FALSE : score_win32_system.flush_file_buffers(file));
}

BOOL WINAPI f_close_handle(HANDLE handle)
{
    if (lock_handles.erase(handle) != 0)
        return score_win32_system.close_handle(handle);
    full_disk_handles.erase(handle);
    const BOOL result = score_win32_system.close_handle(handle); // closed even when it "fails"
    return made(fails() ? FALSE : result);
}

BOOL WINAPI f_move_file_ex(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    return made(fails() || refused() ? FALSE : score_win32_system.move_file_ex(from, to, flags));
}

BOOL WINAPI f_delete_file(LPCWSTR path)
{
    return made(fails() || refused() ? FALSE : score_win32_system.delete_file(path));
}

DWORD WINAPI f_get_file_attributes(LPCWSTR path)
{
    return made(fails() ? INVALID_FILE_ATTRIBUTES : score_win32_system.get_file_attributes(path));
}

BOOL WINAPI f_get_file_attributes_ex(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info)
{
    return made(fails() ? FALSE : score_win32_system.get_file_attributes_ex(path, level, info));
}

BOOL WINAPI f_set_file_pointer_ex(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER moved,
                                  DWORD method)
{
    return made(fails() ? FALSE
                        : score_win32_system.set_file_pointer_ex(file, distance, moved, method));
}

BOOL WINAPI f_set_end_of_file(HANDLE file)
{
    return made(fails() ? FALSE : score_win32_system.set_end_of_file(file));
}

// A pause between two tries: counted apart, and not waited for.
void WINAPI f_sleep(DWORD)
{
    ++active->pauses;
}

// The mutex: EWOULDBLOCK finds it held at every try, any other error finds none to be had.
HANDLE WINAPI f_create_mutex(LPSECURITY_ATTRIBUTES security, BOOL owned, LPCWSTR name)
{
    if (active->lock_error != 0 && active->lock_error != EWOULDBLOCK) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    HANDLE mutex = score_win32_system.create_mutex(security, owned, name);
    if (mutex != nullptr)
        lock_handles.insert(mutex);
    return mutex;
}

DWORD WINAPI f_wait_for_single_object(HANDLE handle, DWORD milliseconds)
{
    if (active->lock_error == EWOULDBLOCK)
        return WAIT_TIMEOUT;
    return score_win32_system.wait_for_single_object(handle, milliseconds);
}

} // namespace

fs_fault_scope::fs_fault_scope(fs_faults& faults)
{
    active = &faults;
    full_disk_path = score_win32_path(faults.full_disk_path);
    score_win32 = score_win32_system;
    score_win32.create_file = f_create_file;
    score_win32.write_file = f_write_file;
    score_win32.flush_file_buffers = f_flush_file_buffers;
    score_win32.close_handle = f_close_handle;
    score_win32.move_file_ex = f_move_file_ex;
    score_win32.delete_file = f_delete_file;
    score_win32.get_file_attributes = f_get_file_attributes;
    score_win32.get_file_attributes_ex = f_get_file_attributes_ex;
    score_win32.set_file_pointer_ex = f_set_file_pointer_ex;
    score_win32.set_end_of_file = f_set_end_of_file;
    score_win32.sleep = f_sleep;
    score_win32.create_mutex = f_create_mutex;
    score_win32.wait_for_single_object = f_wait_for_single_object;
}

fs_fault_scope::~fs_fault_scope()
{
    score_win32 = score_win32_system;
    active = nullptr;
    full_disk_handles.clear();
    full_disk_path.clear();
    lock_handles.clear();
}
