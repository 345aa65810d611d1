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
// Ends the child at once and waits for it. True when the kill ended it, false when it had
// already exited by itself (or had ended before).
bool kill_child(child& c);
// Waits for the child to end: its exit status, or -1 when it did not exit by itself.
int wait_child(child& c);

// Ends this process at once, as a kill from outside would: no clean-up of any kind. Its parent
// sees the status -1.
[[noreturn]] void kill_self();

// Parts of a test run in child processes. A test program names each part, before main, with a
// static `role` object; start_role runs that part in a child process, in this process's current
// folder, writing to this process's log, and the part's return value is the child's exit status.
// On POSIX systems the child is a fork of this process. On Windows it is this program started
// again: it runs the part before any test and exits, so a part must set up everything it needs
// from its argument and the files it finds.
using role_body = int (*)(const std::string& argument);
struct role
{
    role(const char* name, role_body body);
};
child start_role(const std::string& name, const std::string& argument = std::string());
// True in a child process started by start_role on Windows, from its very start (before main).
bool in_role_child();
// What start_role asks of the system (support/roles.cpp): a child process that runs `body` with
// `argument`; on Windows, this program started again with `gtest_filter` and, in its
// environment, `role_environment` ("NAME=value" each) added to this process's own.
child start_role_process(role_body body, const std::string& argument,
                         const std::string& gtest_filter,
                         const std::vector<std::string>& role_environment);

// A new folder, like make_temp_dir, for files that many processes write and flush: in memory
// where the system offers such a place (/dev/shm), in the temporary folder elsewhere.
std::string make_memory_temp_dir(const std::string& prefix);

// Marks the file read-only (mode 0444 on POSIX, the read-only attribute on Windows), or
// writable again (0644, the attribute cleared).
bool set_read_only(const std::string& path, bool read_only);
// True when the file is marked exactly as set_read_only(path, true) leaves it.
bool is_read_only(const std::string& path);

// POSIX owners, modes, links and users. Where the system has none of these (Windows) each
// returns false or 0, and the test cases that need them are left out there by their label.
bool make_link(const std::string& target, const std::string& path);
bool is_link(const std::string& path);
// The mode bits (07777) of the file itself, not of what a link leads to; 0 when not found.
unsigned mode_of(const std::string& path);
bool set_mode(const std::string& path, unsigned mode);
bool set_owner(const std::string& path, unsigned uid, unsigned gid);
bool is_superuser();
// The ids of the user `name`; false when there is no such user.
bool user_ids(const char* name, unsigned& uid, unsigned& gid);
// Makes this process the user `uid` with `gid` as its only group. For child processes.
bool become_user(unsigned uid, unsigned gid);

} // namespace test_system
