// The tests' system calls on POSIX systems (Linux with glibc).
#include "support/system.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <malloc.h>
#include <pwd.h>
#include <sys/stat.h>
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

bool kill_child(child& c)
{
    if (!c.running)
        return false;
    kill(static_cast<pid_t>(c.handle), SIGKILL);
    int wstatus = 0;
    waitpid(static_cast<pid_t>(c.handle), &wstatus, 0);
    c.running = false;
    return WIFSIGNALED(wstatus) && WTERMSIG(wstatus) == SIGKILL;
}

int wait_child(child& c)
{
    if (!c.running)
        return -1;
    int wstatus = 0;
    if (waitpid(static_cast<pid_t>(c.handle), &wstatus, 0) != c.handle)
        return -1;
    c.running = false;
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

void kill_self()
{
    kill(getpid(), SIGKILL);
    _exit(137); // not reached
}

bool in_role_child()
{
    return false;
}

// A fork: the child shares this process's open log and sees its memory as it is.
child start_role_process(role_body body, const std::string& argument, const std::string&,
                         const std::vector<std::string>&)
{
    std::fflush(nullptr);
    child c;
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body(argument));
    if (pid > 0) {
        c.handle = pid;
        c.running = true;
    }
    return c;
}

std::string make_memory_temp_dir(const std::string& prefix)
{
    char templ[] = "/dev/shm/brimzo-XXXXXX";
    if (access("/dev/shm", W_OK) != 0 || mkdtemp(templ) == nullptr)
        return make_temp_dir(prefix);
    return templ;
}

bool set_read_only(const std::string& path, bool read_only)
{
    return chmod(path.c_str(), read_only ? 0444 : 0644) == 0;
}

bool is_read_only(const std::string& path)
{
    return mode_of(path) == 0444;
}

bool make_link(const std::string& target, const std::string& path)
{
    return symlink(target.c_str(), path.c_str()) == 0;
}

bool is_link(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

unsigned mode_of(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool set_mode(const std::string& path, unsigned mode)
{
    return chmod(path.c_str(), mode) == 0;
}

bool set_owner(const std::string& path, unsigned uid, unsigned gid)
{
    return chown(path.c_str(), uid, gid) == 0;
}

bool is_superuser()
{
    return geteuid() == 0;
}

bool user_ids(const char* name, unsigned& uid, unsigned& gid)
{
    const passwd* user = getpwnam(name);
    if (user == nullptr)
        return false;
    uid = user->pw_uid;
    gid = user->pw_gid;
    return true;
}

bool become_user(unsigned uid, unsigned gid)
{
    const gid_t group = gid;
    return setgroups(1, &group) == 0 && setgid(gid) == 0 && setuid(uid) == 0;
}

} // namespace test_system
