// The tests' system calls on Windows.
#include "support/system.h"

#include <windows.h>

#include <malloc.h>
#include <stdlib.h>
#include <wchar.h>

namespace test_system {

const char* const text_line_end = "\r\n";

namespace {

std::wstring wide(const std::string& s)
{
    if (s.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

std::string narrow(const std::wstring& w)
{
    if (w.empty())
        return std::string();
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

} // namespace

void set_env(const std::string& name, const std::string& value, bool overwrite)
{
    if (!overwrite && getenv(name.c_str()) != nullptr)
        return;
    // The C runtime's copy, which getenv reads, and the process's own, which children inherit.
    _putenv_s(name.c_str(), value.c_str());
    SetEnvironmentVariableW(wide(name).c_str(), wide(value).c_str());
}

void unset_env(const std::string& name)
{
    _putenv_s(name.c_str(), "");
    SetEnvironmentVariableW(wide(name).c_str(), nullptr);
}

std::string make_temp_dir(const std::string& prefix)
{
    wchar_t tmp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, tmp);
    if (n == 0 || n > MAX_PATH)
        return std::string();
    // A name nobody holds yet: CreateDirectoryW fails on an existing one, so retry with another.
    for (int attempt = 0; attempt < 100; ++attempt) {
        LARGE_INTEGER t;
        QueryPerformanceCounter(&t);
        const unsigned long long tag =
            (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^
            static_cast<unsigned long long>(t.QuadPart) ^ static_cast<unsigned long long>(attempt);
        wchar_t suffix[17];
        swprintf(suffix, 17, L"%016llx", tag);
        const std::wstring dir = std::wstring(tmp) + wide(prefix) + suffix;
        if (CreateDirectoryW(dir.c_str(), nullptr)) {
            std::string path = narrow(dir);
            if (!path.empty() && (path.back() == '\\' || path.back() == '/'))
                path.pop_back();
            return path;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
    return std::string();
}

bool change_dir(const std::string& dir)
{
    return SetCurrentDirectoryW(wide(dir).c_str()) != 0;
}

size_t heap_bytes_in_use()
{
    size_t used = 0;
    _HEAPINFO entry = {};
    while (_heapwalk(&entry) == _HEAPOK)
        if (entry._useflag == _USEDENTRY)
            used += entry._size;
    return used;
}

std::vector<std::string> base_environment()
{
    std::vector<std::string> env;
    for (const char* name : {"SystemRoot", "windir"}) {
        const char* value = getenv(name);
        if (value != nullptr)
            env.push_back(std::string(name) + "=" + value);
    }
    wchar_t system_dir[MAX_PATH + 1];
    const UINT n = GetSystemDirectoryW(system_dir, MAX_PATH + 1);
    if (n > 0 && n <= MAX_PATH)
        env.push_back("PATH=" + narrow(system_dir));
    return env;
}

child start_child(const std::string& program, const std::string& dir,
                  const std::vector<std::string>& env)
{
    // The environment block: "NAME=value\0" each, ended by one more "\0".
    std::wstring block;
    for (const std::string& e : env) {
        block += wide(e);
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    std::wstring command = L"\"" + wide(program) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    child c;
    if (CreateProcessW(wide(program).c_str(), command.data(), nullptr, nullptr, FALSE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), wide(dir).c_str(), &startup,
                       &info)) {
        CloseHandle(info.hThread);
        c.handle = reinterpret_cast<intptr_t>(info.hProcess);
        c.running = true;
    }
    return c;
}

namespace {

// The exit code of a process ended by kill_child or kill_self, which no part of a test returns.
constexpr UINT KILLED = 0xdead;

int status_of(HANDLE process)
{
    DWORD code = 0;
    return GetExitCodeProcess(process, &code) && code != KILLED ? int(code) : -1;
}

} // namespace

bool child_ended(child& c, int& status)
{
    if (!c.running)
        return true;
    const HANDLE process = reinterpret_cast<HANDLE>(c.handle);
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
        return false;
    status = status_of(process);
    CloseHandle(process);
    c.running = false;
    return true;
}

int wait_child(child& c)
{
    if (!c.running)
        return -1;
    const HANDLE process = reinterpret_cast<HANDLE>(c.handle);
    WaitForSingleObject(process, INFINITE);
    const int status = status_of(process);
    CloseHandle(process);
    c.running = false;
    return status;
}

void kill_self()
{
    TerminateProcess(GetCurrentProcess(), KILLED);
    ExitProcess(KILLED); // not reached
}

bool in_role_child()
{
    return getenv("BRIMZO_TEST_ROLE") != nullptr;
}

// This program started again, in the current folder, with this process's environment and
// `role_environment`; it runs the role from a global test environment, before any test.
child start_role_process(role_body, const std::string&, const std::string& gtest_filter,
                         const std::vector<std::string>& role_environment)
{
    child c;
    std::vector<wchar_t> program(32768);
    const DWORD n = GetModuleFileNameW(nullptr, program.data(), DWORD(program.size()));
    if (n == 0 || n >= program.size())
        return c;
    std::wstring block;
    wchar_t* inherited = GetEnvironmentStringsW();
    for (const wchar_t* e = inherited; *e != L'\0'; e += wcslen(e) + 1) {
        block += e;
        block.push_back(L'\0');
    }
    FreeEnvironmentStringsW(inherited);
    for (const std::string& e : role_environment) {
        block += wide(e);
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    std::wstring command =
        L"\"" + std::wstring(program.data()) + L"\" --gtest_filter=" + wide(gtest_filter);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(program.data(), command.data(), nullptr, nullptr, FALSE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        c.handle = reinterpret_cast<intptr_t>(info.hProcess);
        c.running = true;
    }
    return c;
}

std::string make_memory_temp_dir(const std::string& prefix)
{
    return make_temp_dir(prefix);
}

bool set_read_only(const std::string& path, bool read_only)
{
    const std::wstring w = wide(path);
    const DWORD attributes = GetFileAttributesW(w.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD marked = read_only ? attributes | FILE_ATTRIBUTE_READONLY
                                   : attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    return SetFileAttributesW(w.c_str(), marked == 0 ? FILE_ATTRIBUTE_NORMAL : marked) != 0;
}

bool is_read_only(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Links, modes, owners and users of the POSIX kind: not here.
bool make_link(const std::string&, const std::string&)
{
    return false;
}

bool is_link(const std::string&)
{
    return false;
}

unsigned mode_of(const std::string&)
{
    return 0;
}

bool set_mode(const std::string&, unsigned)
{
    return false;
}

bool set_owner(const std::string&, unsigned, unsigned)
{
    return false;
}

bool is_superuser()
{
    return false;
}

bool user_ids(const char*, unsigned&, unsigned&)
{
    return false;
}

bool become_user(unsigned, unsigned)
{
    return false;
}

namespace {

struct close_request
{
    DWORD process_id;
    bool sent;
};

BOOL CALLBACK close_window_of(HWND window, LPARAM param)
{
    close_request* request = reinterpret_cast<close_request*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == request->process_id && PostMessageW(window, WM_CLOSE, 0, 0))
        request->sent = true;
    return TRUE;
}

} // namespace

bool ask_child_to_end(const child& c)
{
    if (!c.running)
        return false;
    close_request request = {GetProcessId(reinterpret_cast<HANDLE>(c.handle)), false};
    EnumWindows(close_window_of, reinterpret_cast<LPARAM>(&request));
    return request.sent;
}

bool kill_child(child& c)
{
    if (!c.running)
        return false;
    const HANDLE process = reinterpret_cast<HANDLE>(c.handle);
    TerminateProcess(process, KILLED);
    WaitForSingleObject(process, INFINITE);
    const bool killed = status_of(process) == -1;
    CloseHandle(process);
    c.running = false;
    return killed;
}

} // namespace test_system
