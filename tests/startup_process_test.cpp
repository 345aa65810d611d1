// The real program refusing to start over a damaged asset set.
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;

// A fresh directory holding a copy of this process's data/.
std::string fresh_run_dir()
{
    std::string templ = test_work_dir() + "/run-XXXXXX";
    if (mkdtemp(templ.data()) == nullptr)
        return std::string();
    fs::copy(fs::path(test_work_dir()) / "data", fs::path(templ) / "data",
             fs::copy_options::recursive);
    return templ;
}

struct run_result
{
    bool finished = false; // false: it had to be killed
    int status = 0;        // wait status when finished
};

// Runs the built game with `dir` as working directory and SDL's dummy drivers; kills it if it
// is still running after `timeout_ms`.
run_result run_program(const std::string &dir, int timeout_ms)
{
    std::vector<std::string> env_strings;
    for (char **e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "SDL_VIDEODRIVER=", 16) != 0 &&
            std::strncmp(*e, "SDL_AUDIODRIVER=", 16) != 0)
            env_strings.emplace_back(*e);
    }
    env_strings.emplace_back("SDL_VIDEODRIVER=dummy");
    env_strings.emplace_back("SDL_AUDIODRIVER=dummy");
    std::vector<char *> envp;
    for (std::string &s : env_strings)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string binary = BRIMZO_BINARY;
    char *argv[] = {binary.data(), nullptr};

    run_result result;
    const pid_t pid = fork();
    if (pid < 0)
        return result;
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        execve(binary.c_str(), argv, envp.data());
        _exit(127);
    }
    for (int waited = 0; waited <= timeout_ms; waited += 10) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            result.finished = true;
            result.status = status;
            return result;
        }
        if (done < 0 && errno != EINTR)
            return result;
        usleep(10 * 1000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return result;
}

struct damaged_case
{
    const char *name;
    std::vector<const char *> removed;
    const char *log;
};

void PrintTo(const damaged_case &c, std::ostream *os)
{
    *os << c.name;
}

class StartUpProcess : public ::testing::TestWithParam<damaged_case>
{
};

TEST_P(StartUpProcess, ExitsWithStatusOneAndNamesTheFile)
{
    const std::string dir = fresh_run_dir();
    ASSERT_FALSE(dir.empty());
    for (const char *path : GetParam().removed)
        ASSERT_TRUE(fs::remove(fs::path(dir) / path)) << path;

    const run_result run = run_program(dir, 30000);
    ASSERT_TRUE(run.finished) << "the program did not stop and was killed";
    ASSERT_TRUE(WIFEXITED(run.status)) << "wait status " << run.status;
    EXPECT_EQ(WEXITSTATUS(run.status), 1);
    EXPECT_EQ(read_file(dir + "/brimzo.log"), GetParam().log);
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    DamagedData, StartUpProcess,
    ::testing::Values(damaged_case{"pieces_missing",
                                   {"data/pions.png"},
                                   "D\xe9marrage du programme\nUn fichier corrompu: 11\n"},
                      damaged_case{"two_missing_later_reported",
                                   {"data/grille.png", "data/mouvement.wav"},
                                   "D\xe9marrage du programme\nUn fichier corrompu: 12\n"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
