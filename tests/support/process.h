// Runs the built game as a separate process in a directory of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct process_result
{
    int status = -1; // exit status, or -1 when the process did not exit normally
    bool timed_out = false;
    std::string log; // brimzo.log as the process left it, read as text
    // The SDL libraries (libSDL*.so*: SDL 1.2, its add-ons, SDL 2 or SDL 3) the process had
    // mapped when `sigterm_after` appeared in its log; empty without `sigterm_after`, and where
    // the system does not show a process's mappings in /proc.
    std::vector<std::string> sdl_libraries;
};

// The files of SDL libraries that process `pid` has mapped, from /proc/PID/maps.
std::vector<std::string> sdl_libraries_of(intptr_t pid);

// Copies data/ into a fresh directory, lets `prepare` change it, then runs the game there with
// the dummy drivers and the extra environment `env` ("NAME=value"). When `sigterm_after` is
// non-empty, waits until the log contains it and then sends SIGTERM. Gives up after 20 s.
process_result run_game(const std::function<void(const std::string& dir)>& prepare,
                        const std::vector<std::string>& env, const std::string& sigterm_after);
