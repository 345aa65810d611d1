// The per-process test directory, its files and its log.
#include "support/test_env.h"

#include "support/system.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// A plain array: it is zero before any constructor runs and no constructor resets it after
// enter_test_dir has filled it.
char work_dir[260];

// Runs before the program's own static objects (the log file among them), so that every test
// process writes its log and score files in a directory of its own.
__attribute__((constructor(101))) void enter_test_dir()
{
    test_system::set_env("SDL_VIDEODRIVER", "dummy", false);
    test_system::set_env("SDL_AUDIODRIVER", "dummy", false);
    const std::string dir = test_system::make_temp_dir("brimzo-test-");
    if (dir.empty() || dir.size() >= sizeof work_dir)
        abort();
    strcpy(work_dir, dir.c_str());
    if (test_system::in_role_child()) {
        // A part of a test in a program started again: it works in its parent's folder, and
        // this one only takes the log the program opens before it moves there.
        if (!test_system::change_dir(work_dir))
            abort();
        return;
    }
    fs::copy(fs::path(BRIMZO_SOURCE_DIR) / "data", fs::path(work_dir) / "data",
             fs::copy_options::recursive);
    for (const char* runtime_file : {"data/scores.txt", "data/scores.cle"})
        fs::remove(fs::path(work_dir) / runtime_file);
    if (!test_system::change_dir(work_dir))
        abort();
}

struct remove_test_dir
{
    ~remove_test_dir()
    {
        std::error_code ignored;
        if (work_dir[0] != 0 && getenv("BRIMZO_KEEP_TEST_DIR") == nullptr)
            fs::remove_all(work_dir, ignored);
    }
} remover;

} // namespace

std::string test_source_dir()
{
    return BRIMZO_SOURCE_DIR;
}

std::string test_work_dir()
{
    return work_dir;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string read_text_file(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool file_exists(const std::string& path)
{
    return fs::exists(path);
}

std::string log_text()
{
    return read_text_file(std::string(work_dir) + "/brimzo.log");
}

LogMark::LogMark() : length(log_text().size()) {}

std::string LogMark::since() const
{
    const std::string all = log_text();
    return all.size() > length ? all.substr(length) : std::string();
}
