// The tests' system calls on Windows.
#include "support/system.h"

#include <windows.h>

#include <malloc.h>
#include <stdlib.h>

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

bool child_ended(child& c, int& status)
{
    if (!c.running)
        return true;
    const HANDLE process = reinterpret_cast<HANDLE>(c.handle);
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    status = GetExitCodeProcess(process, &code) ? int(code) : -1;
    CloseHandle(process);
    c.running = false;
    return true;
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

void kill_child(child& c)
{
    if (!c.running)
        return;
    const HANDLE process = reinterpret_cast<HANDLE>(c.handle);
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
    c.running = false;
}

} // namespace test_system
