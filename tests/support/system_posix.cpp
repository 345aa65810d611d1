// The tests' system calls on POSIX systems (Linux with glibc).
#include "support/system.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (gcc ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace test_system {

const char* const text_line_end = "\n";

void set_env(const std::string& name, const std::string& value, bool overwrite)
{
    setenv(name.c_str(), value.c_str(), overwrite ? 1 : 0);
}

void unset_env(const std::string& name)
{
    unsetenv(name.c_str());
}

std::string make_temp_dir(const std::string& prefix)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string templ =
        std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/" + prefix + "XXXXXX";
    if (mkdtemp(templ.data()) == nullptr)
        return std::string();
    return templ;
}

bool change_dir(const std::string& dir)
{
    return chdir(dir.c_str()) == 0;
}

size_t heap_bytes_in_use()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

std::vector<std::string> base_environment()
{
    return {"PATH=/usr/bin:/bin"};
}

child start_child(const std::string& program, const std::string& dir,
                  const std::vector<std::string>& env)
{
    std::vector<std::string> environment = env;
    std::vector<char*> envp;
    for (std::string& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};

    child c;
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        execve(path.c_str(), argv, envp.data());
        _exit(127);
    }
    if (pid > 0) {
        c.handle = pid;
        c.running = true;
    }
    return c;
}

bool child_ended(child& c, int& status)
{
    if (!c.running)
        return true;
    int wstatus = 0;
    if (waitpid(static_cast<pid_t>(c.handle), &wstatus, WNOHANG) != c.handle)
        return false;
    c.running = false;
    status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    return true;
}

bool ask_child_to_end(const child& c)
{
    return c.running && kill(static_cast<pid_t>(c.handle), SIGTERM) == 0;
}

void kill_child(child& c)
{
    if (!c.running)
        return;
    kill(static_cast<pid_t>(c.handle), SIGKILL);
    int wstatus = 0;
    waitpid(static_cast<pid_t>(c.handle), &wstatus, 0);
    c.running = false;
}

} // namespace test_system
