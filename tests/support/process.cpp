// Running the game binary for process-level tests.
#include "support/process.h"

#include "support/system.h"
#include "support/test_env.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

std::vector<std::string> sdl_libraries_of(intptr_t pid)
{
    std::vector<std::string> found;
    std::istringstream maps(read_file("/proc/" + std::to_string(pid) + "/maps"));
    std::string line;
    while (std::getline(maps, line)) {
        const std::string::size_type slash = line.find('/');
        if (slash == std::string::npos)
            continue;
        const std::string file = line.substr(slash);
        const std::string name = file.substr(file.rfind('/') + 1);
        if (name.compare(0, 6, "libSDL") == 0 && name.find(".so") != std::string::npos &&
            std::find(found.begin(), found.end(), file) == found.end())
            found.push_back(file);
    }
    return found;
}

process_result run_game(const std::function<void(const std::string& dir)>& prepare,
                        const std::vector<std::string>& env, const std::string& sigterm_after)
{
    static int run_number = 0;
    const std::string dir = test_work_dir() + "/run" + std::to_string(++run_number);
    fs::create_directories(dir);
    fs::copy(fs::path(test_source_dir()) / "data", fs::path(dir) / "data",
             fs::copy_options::recursive);
    for (const char* runtime_file : {"data/scores.txt", "data/scores.cle"})
        fs::remove(fs::path(dir) / runtime_file);
    if (prepare)
        prepare(dir);

    std::vector<std::string> environment = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};
    for (const std::string& e : test_system::base_environment())
        environment.push_back(e);
    // The library path chooses the SDL 1.2 runtime of the pass, and the sanitizers' options
    // hold their suppressions: both go through to the game.
    for (const char* name : {"LD_LIBRARY_PATH", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            environment.push_back(std::string(name) + "=" + value);
    for (const std::string& e : env) {
        const std::string name = e.substr(0, e.find('=') + 1);
        for (std::string& existing : environment)
            if (existing.compare(0, name.size(), name) == 0)
                existing.clear();
        environment.push_back(e);
    }
    std::vector<std::string> given;
    for (const std::string& e : environment)
        if (!e.empty())
            given.push_back(e);

    test_system::child game = test_system::start_child(BRIMZO_BINARY, dir, given);
    process_result result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool signalled = false;
    int status = -1;
    for (;;) {
        if (test_system::child_ended(game, status))
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            test_system::kill_child(game);
            result.timed_out = true;
            break;
        }
        if (!signalled && !sigterm_after.empty() &&
            read_text_file(dir + "/brimzo.log").find(sigterm_after) != std::string::npos) {
            result.sdl_libraries = sdl_libraries_of(game.handle);
            test_system::ask_child_to_end(game);
            signalled = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!result.timed_out)
        result.status = status;
    result.log = read_text_file(dir + "/brimzo.log");
    return result;
}
