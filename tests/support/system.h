// What the tests ask of the operating system: environment, temporary folders, child processes
// and the heap's size. One implementation for POSIX systems (system_posix.cpp) and one for
// Windows (system_windows.cpp), chosen at build time; the tests themselves stay portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace test_system {

// Sets the environment variable `name` of this process; with `overwrite` false, a value already
// set is kept.
void set_env(const std::string& name, const std::string& value, bool overwrite = true);
void unset_env(const std::string& name);

// Creates a new, empty folder in the system's temporary folder, named `prefix` and a unique
// suffix, and returns its path ("" on failure).
std::string make_temp_dir(const std::string& prefix);

// Makes `dir` the current folder.
bool change_dir(const std::string& dir);

// How a line of a file written in text mode ends: "\n" on POSIX systems, "\r\n" on Windows.
extern const char* const text_line_end;

// Bytes this process holds on its heap right now (under AddressSanitizer its allocator's count,
// which leaves out the quarantine of freed blocks).
size_t heap_bytes_in_use();

// The variables a child process needs from the system whatever the test gives it ("NAME=value"
// each): the search path of programs, and on Windows the system's folder.
std::vector<std::string> base_environment();

// A program started by start_child.
struct child
{
    intptr_t handle = -1; // the process id on POSIX systems, the process handle on Windows
    bool running = false;
};

// Starts `program` with no arguments in the folder `dir`, with exactly the environment `env`
// ("NAME=value" each).
child start_child(const std::string& program, const std::string& dir,
                  const std::vector<std::string>& env);
// True once the child has ended; `status` is then its exit status, or -1 when it did not exit
// by itself (killed, or ended by a signal).
bool child_ended(child& c, int& status);
// Asks the child to end the way the system asks a program to close (SIGTERM on POSIX; on
// Windows a close message to its windows). False when the request could not be made.
bool ask_child_to_end(const child& c);
// Ends the child at once and waits for it.
void kill_child(child& c);

} // namespace test_system
