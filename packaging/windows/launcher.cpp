// brimzo.exe, what a Windows player starts: it runs the game (brimzo-game.exe, beside it) in its
// own folder, whose data/ holds the assets and the player's scores. When the game gives up
// because no sound output opens (log line "ERREUR : SDL_MIXER", exit status 1), it is started
// once more with SDL's silent audio driver: a game without sound rather than no game at all.
// A driver chosen by the player (SDL_AUDIODRIVER set) is used as it is.
#include <windows.h>

#include <fstream>
#include <string>

namespace {

const wchar_t GAME[] = L"brimzo-game.exe";
const wchar_t LOG[] = L"brimzo.log";
const char MIXER_FAILURE[] = "ERREUR : SDL_MIXER";

// The folder of this program, with its final backslash.
std::wstring own_folder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// This program's arguments, as given: the command line after the program's own name.
std::wstring own_arguments()
{
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p != 0 && *p != L'"')
            ++p;
        if (*p == L'"')
            ++p;
    } else {
        while (*p != 0 && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

// Runs the game in `folder` and returns its exit status (-1 when it could not be started).
int run_game(const std::wstring& folder, const std::wstring& arguments)
{
    const std::wstring game = folder + GAME;
    std::wstring command = L"\"" + game + L"\"";
    if (!arguments.empty())
        command += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(game.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info))
        return -1;
    CloseHandle(info.hThread);
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD status = DWORD(-1);
    GetExitCodeProcess(info.hProcess, &status);
    CloseHandle(info.hProcess);
    return int(status);
}

// True when the log holds the line of a sound output that could not be opened.
bool sound_failed(const std::wstring& log_path)
{
    std::ifstream log(log_path.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(log, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == MIXER_FAILURE)
            return true;
    }
    return false;
}

bool audio_driver_chosen()
{
    wchar_t value[2];
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableW(L"SDL_AUDIODRIVER", value, 2);
    return n > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::wstring folder = own_folder();
    if (folder.empty())
        return 1;
    const std::wstring arguments = own_arguments();
    if (audio_driver_chosen())
        return run_game(folder, arguments);

    const std::wstring log_path = folder + LOG;
    DeleteFileW(log_path.c_str());
    const int status = run_game(folder, arguments);
    if (status == 1 && sound_failed(log_path)) {
        SetEnvironmentVariableW(L"SDL_AUDIODRIVER", L"dummy");
        return run_game(folder, arguments);
    }
    return status;
}
