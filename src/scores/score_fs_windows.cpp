// The score file's operations on Windows, through the table of Win32 calls score_win32. Paths
// are the game's narrow paths, in the ANSI code page as the C runtime reads them, widened for
// the wide-character calls.
#include "scores/score_fs.h"

#include "scores/score_fs_windows.h"

#include <algorithm>

#include <vector>
#include <zlib.h>

const score_win32_calls score_win32_system = {
    CreateFileW,
    WriteFile,
    FlushFileBuffers,
    CloseHandle,
    MoveFileExW,
    DeleteFileW,
    GetFileAttributesW,
    GetFileAttributesExW,
    SetFilePointerEx,
    SetEndOfFile,
    Sleep,
    GetFinalPathNameByHandleW,
    CreateMutexW,
    WaitForSingleObject,
    ReleaseMutex,
};
score_win32_calls score_win32 = score_win32_system;

namespace {

// A replacing move held up by another program (an anti-virus or the indexer opening the new
// file for a moment) is tried again every 50 ms for about 2 s.
constexpr DWORD MOVE_RETRY_MS = 50;
constexpr int MOVE_TRIES = 40;

// Any program may read, write or delete the files while the game holds them open, as on POSIX:
// the lock, not the sharing mode, keeps the games apart.
constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The attributes a new file takes from the one it replaces.
constexpr DWORD KEPT_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool write_all(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t left = bytes.size() - done;
        const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!score_win32.write_file(file, bytes.data() + done, chunk, &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

// Opens an existing file for writing, following links.
HANDLE open_existing(const std::string& path)
{
    const std::wstring wide = score_win32_path(path);
    if (wide.empty())
        return INVALID_HANDLE_VALUE;
    return score_win32.create_file(wide.c_str(), GENERIC_WRITE, SHARE_ALL, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool cut_at(HANDLE file, uint64_t length)
{
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(length);
    return score_win32.set_file_pointer_ex(file, at, nullptr, FILE_BEGIN) &&
           score_win32.set_end_of_file(file);
}

bool is_missing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

std::wstring score_win32_path(const std::string& path)
{
    if (path.empty())
        return std::wstring();
    const int size = static_cast<int>(path.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, path.data(), size, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), size, &wide[0], n);
    return wide;
}

std::string score_fs_file::directory() const
{
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':'))
        return path.substr(0, slash + 1); // the root of the drive
    return path.substr(0, slash);
}

// Links on Windows: the path is taken as it is. The system follows the symbolic links and
// junctions among its folders on every open and move, so the new file is written beside the
// file it replaces, wherever the folder leads. A score file that is itself a symbolic link (which
// Windows lets only administrators or developer mode make) is replaced as a whole, the link with
// it, by the move.
bool score_fs_resolve(const char* path, score_fs_file& file, bool counted)
{
    const score_win32_calls& w = counted ? score_win32 : score_win32_system;
    const std::wstring wide = score_win32_path(path);
    if (wide.empty())
        return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!w.get_file_attributes_ex(wide.c_str(), GetFileExInfoStandard, &data)) {
        if (!is_missing(GetLastError()))
            return false;
        file = score_fs_file{path, false, 0, 0};
        return true;
    }
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    file = score_fs_file{path, true, data.dwFileAttributes, size};
    return true;
}

score_fs_file score_fs_unresolved(const char* path)
{
    return score_fs_file{path, true, FILE_ATTRIBUTE_NORMAL, 0};
}

// A file marked read-only is left alone.
score_fs_permission score_fs_permission_of(const score_fs_file& file)
{
    if (!file.exists)
        return score_fs_permission::writable;
    const std::wstring wide = score_win32_path(file.path);
    if (wide.empty())
        return score_fs_permission::unknown;
    const DWORD attributes = score_win32.get_file_attributes(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_ACCESS_DENIED ? score_fs_permission::read_only
                                                     : score_fs_permission::unknown;
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? score_fs_permission::read_only
                                                       : score_fs_permission::writable;
}

// The new file is created with CREATE_NEW and FILE_FLAG_OPEN_REPARSE_POINT: a link of that name
// is neither followed nor written through (it makes the creation fail, and is then deleted, the
// link itself, like any file left by an earlier run).
score_fs_written score_fs_write_new(const score_fs_file& file, const std::string& bytes)
{
    const std::wstring temp = score_win32_path(file.temp());
    if (temp.empty())
        return score_fs_written::failed;
    const DWORD attributes =
        (file.exists ? file.attributes & KEPT_ATTRIBUTES : 0) | FILE_ATTRIBUTE_NORMAL;
    const DWORD flags = attributes | FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE h = score_win32.create_file(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       CREATE_NEW, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE &&
        (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) &&
        score_win32.delete_file(temp.c_str()))
        h = score_win32.create_file(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_ACCESS_DENIED)
            return score_fs_written::failed;
        // Denied: by a folder that refuses new files, or by a folder of that very name in the
        // way, which no move could replace either (a failure, as on POSIX).
        const DWORD there = score_win32.get_file_attributes(temp.c_str());
        return there != INVALID_FILE_ATTRIBUTES && (there & FILE_ATTRIBUTE_DIRECTORY) != 0
                   ? score_fs_written::failed
                   : score_fs_written::refused;
    }
    bool ok = write_all(h, bytes) && score_win32.flush_file_buffers(h);
    ok = score_win32.close_handle(h) && ok;
    if (!ok) {
        score_win32.delete_file(temp.c_str());
        return score_fs_written::failed;
    }
    return score_fs_written::written;
}

// MOVEFILE_WRITE_THROUGH returns once the move is on disk: there is no directory to sync, as
// Windows cannot open one for that. ReplaceFileW is not used: it is not one step, and may leave
// the old file moved away.
bool score_fs_replace(const score_fs_file& file)
{
    const std::wstring from = score_win32_path(file.temp());
    const std::wstring to = score_win32_path(file.path);
    if (from.empty() || to.empty())
        return false;
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    for (int tries = 1;; ++tries) {
        if (score_win32.move_file_ex(from.c_str(), to.c_str(), flags))
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
            tries >= MOVE_TRIES)
            return false;
        score_win32.sleep(MOVE_RETRY_MS);
    }
}

bool score_fs_remove(const std::string& path)
{
    const std::wstring wide = score_win32_path(path);
    return !wide.empty() && score_win32.delete_file(wide.c_str());
}

bool score_fs_write_in_place(const score_fs_file& file, const std::string& bytes, uint64_t pad_to)
{
    HANDLE h = open_existing(file.path);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    std::string padded = bytes;
    if (pad_to > bytes.size())
        padded.append(static_cast<size_t>(pad_to - bytes.size()), ' ');
    bool ok = write_all(h, padded) && cut_at(h, bytes.size()) && score_win32.flush_file_buffers(h);
    ok = score_win32.close_handle(h) && ok;
    return ok;
}

bool score_fs_cut(const score_fs_file& file, uint64_t length)
{
    HANDLE h = open_existing(file.path);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = cut_at(h, length) && score_win32.flush_file_buffers(h);
    ok = score_win32.close_handle(h) && ok;
    return ok;
}

// The reads are not in the table of calls: a fault test makes the writes fail, and a load reads
// what they left. Raw bytes: no text mode, no stop at 0x1A.
bool score_fs_read_all(const char* path, std::string& bytes, uint64_t limit)
{
    bytes.clear();
    const std::wstring wide = score_win32_path(path);
    if (wide.empty())
        return false;
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, SHARE_ALL, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    std::vector<char> buffer(64 * 1024);
    while (bytes.size() < limit) {
        DWORD got = 0;
        const DWORD want =
            static_cast<DWORD>(std::min<uint64_t>(buffer.size(), limit - bytes.size()));
        if (!ReadFile(h, buffer.data(), want, &got, nullptr)) {
            bytes.clear(); // an I/O error: no bytes
            break;
        }
        if (got == 0)
            break;
        bytes.append(buffer.data(), got);
    }
    CloseHandle(h);
    return true;
}

// A named mutex in the session, keyed by the CRC-32 of the directory's final path in lower case:
// every game that reaches the directory, by whatever path, links or junctions, takes the same
// one. It creates nothing on disk and needs only read access to the directory; a game killed
// while holding it leaves it abandoned, which the next one takes. LockFileEx on the score file
// would not do: it would block the other games' reads and make the replacing move fail.
score_fs_lock_state score_fs_try_lock(const std::string& directory, score_fs_lock& lock)
{
    const std::wstring wide = score_win32_path(directory);
    if (wide.empty())
        return score_fs_lock_state::unavailable;
    HANDLE d = score_win32.create_file(wide.c_str(), FILE_READ_ATTRIBUTES, SHARE_ALL, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (d == INVALID_HANDLE_VALUE)
        return score_fs_lock_state::unavailable;
    std::vector<wchar_t> final_path(32768);
    const DWORD n = score_win32.get_final_path_name_by_handle(
        d, final_path.data(), static_cast<DWORD>(final_path.size()),
        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    score_win32.close_handle(d);
    if (n == 0 || n >= final_path.size())
        return score_fs_lock_state::unavailable;
    std::vector<wchar_t> lower(n);
    if (LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, final_path.data(), static_cast<int>(n),
                     lower.data(), static_cast<int>(n)) != static_cast<int>(n))
        return score_fs_lock_state::unavailable;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(lower.data()),
                            static_cast<uInt>(n * sizeof(wchar_t)));
    std::wstring name = L"Local\\brimzo-scores-";
    for (int shift = 28; shift >= 0; shift -= 4)
        name += L"0123456789abcdef"[(crc >> shift) & 0xf];
    HANDLE mutex = score_win32.create_mutex(nullptr, FALSE, name.c_str());
    if (mutex == nullptr)
        return score_fs_lock_state::unavailable;
    switch (score_win32.wait_for_single_object(mutex, 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: // its holder was killed: the table is whatever that game left, which
                         // the load knows how to take
        lock.handle = reinterpret_cast<std::intptr_t>(mutex);
        return score_fs_lock_state::held;
    case WAIT_TIMEOUT:
        score_win32.close_handle(mutex);
        return score_fs_lock_state::busy;
    default:
        score_win32.close_handle(mutex);
        return score_fs_lock_state::unavailable;
    }
}

void score_fs_unlock(score_fs_lock& lock)
{
    if (lock.handle == -1)
        return;
    HANDLE mutex = reinterpret_cast<HANDLE>(lock.handle);
    score_win32.release_mutex(mutex);
    score_win32.close_handle(mutex);
    lock.handle = -1;
}
