// Start-up to the first flipped frame: the game against the bare window program, run in turns.
// The clock starts in this launcher just before the process is spawned (so exec, the dynamic
// loader and static initialisation count, the same for both) and stops at the first SDL_Flip,
// recorded by the preloaded flip_shim. Medians over many runs.
//   startup_bench SHIM DATA_DIR RUNS GAME BARE
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;

namespace {

long long now_ns()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// One run of `program` in `dir`: milliseconds to its first flip, or -1 when it failed to start
// (the display refused it, or it never flipped).
double one_run(const std::string& program, const std::string& dir, const std::string& shim)
{
    const std::string flip_file = dir + "/flip_time";
    fs::remove(flip_file);
    std::vector<std::string> env_text;
    for (char** e = environ; *e; ++e)
        env_text.push_back(*e);
    env_text.push_back("LD_PRELOAD=" + shim);
    env_text.push_back("FLIP_TIME_FILE=" + flip_file);
    std::vector<char*> envp;
    for (std::string& s : env_text)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string prog = program;
    char* argv[] = {prog.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    pid_t pid;
    const long long start = now_ns();
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream in(flip_file);
    long long flipped = 0;
    int flip_result = -1;
    if (!(in >> flipped >> flip_result) || flip_result != 0 || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return (flipped - start) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: startup_bench SHIM DATA_DIR RUNS GAME BARE\n");
        return 2;
    }
    const std::string shim = fs::absolute(argv[1]);
    const int runs = std::atoi(argv[3]);
    const std::string programs[2] = {fs::absolute(argv[4]), fs::absolute(argv[5])};
    std::string dirs[2];
    for (int p = 0; p < 2; ++p) {
        char templ[] = "/tmp/brimzo-startup-XXXXXX";
        dirs[p] = mkdtemp(templ);
        fs::copy(argv[2], dirs[p] + "/data", fs::copy_options::recursive);
        fs::remove(dirs[p] + "/data/scores.txt");
        fs::remove(dirs[p] + "/data/scores.cle");
    }
    std::vector<double> times[2];
    int failures = 0;
    for (int r = 0; r < runs; ++r) {
        // Alternate which goes first, so that neither always runs on a warmer cache.
        for (int k = 0; k < 2; ++k) {
            const int p = (r + k) % 2;
            double ms = -1;
            for (int attempt = 0; attempt < 5 && ms < 0; ++attempt) {
                ms = one_run(programs[p], dirs[p], shim);
                failures += ms < 0;
            }
            if (ms < 0) {
                std::fprintf(stderr, "startup_bench: %s never flipped\n", programs[p].c_str());
                return 1;
            }
            times[p].push_back(ms);
        }
    }
    for (const std::string& d : dirs)
        fs::remove_all(d);
    const double game = median(times[0]), bare = median(times[1]);
    std::printf("# start-up: %d runs each, %d retried starts\n", runs, failures);
    std::printf("Start-up to first flip (median of %d)\t%.2f ms\t%.2f ms\t%.2fx\t<= 1.2x\t%s\n",
                runs, game, bare, game / bare, game / bare <= 1.2 ? "yes" : "NO");
    return 0;
}
