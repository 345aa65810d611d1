// The Win32 calls behind the score file's operations (score_fs.h) on Windows, in one table.
#pragma once

#include <windows.h>

#include <string>

// It holds the system's own calls; a test may point an entry elsewhere (to make the n-th call
// fail, with its error set through SetLastError) and put score_win32_system back afterwards.
// The reads of the score file and its key are not in it, as on POSIX.
struct score_win32_calls
{
    HANDLE(WINAPI* create_file)
    (LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
     DWORD flags, HANDLE template_file);
    BOOL(WINAPI* write_file)
    (HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);
    BOOL(WINAPI* flush_file_buffers)(HANDLE file);
    BOOL(WINAPI* close_handle)(HANDLE handle);
    BOOL(WINAPI* move_file_ex)(LPCWSTR from, LPCWSTR to, DWORD flags);
    BOOL(WINAPI* delete_file)(LPCWSTR path);
    DWORD(WINAPI* get_file_attributes)(LPCWSTR path);
    BOOL(WINAPI* get_file_attributes_ex)(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info);
    BOOL(WINAPI* set_file_pointer_ex)
    (HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER moved, DWORD method);
    BOOL(WINAPI* set_end_of_file)(HANDLE file);
    // The pause between two tries of a replacing move that another program held up.
    void(WINAPI* sleep)(DWORD milliseconds);
    // The table's lock: the directory's final path, then the named mutex tried once.
    DWORD(WINAPI* get_final_path_name_by_handle)(HANDLE file, LPWSTR path, DWORD size, DWORD flags);
    HANDLE(WINAPI* create_mutex)(LPSECURITY_ATTRIBUTES security, BOOL owned, LPCWSTR name);
    DWORD(WINAPI* wait_for_single_object)(HANDLE handle, DWORD milliseconds);
    BOOL(WINAPI* release_mutex)(HANDLE mutex);
};
extern const score_win32_calls score_win32_system;
// A path of the game's (narrow, in the ANSI code page as the C runtime reads it) as the wide
// calls get it; empty when it cannot be converted.
std::wstring score_win32_path(const std::string& path);
extern score_win32_calls score_win32;
