// Parts of a test run in child processes (test_system::role, start_role).
#include "app/log.h"
#include "support/system.h"
#include "support/test_env.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace test_system {

namespace {

std::map<std::string, role_body>& roles()
{
    static std::map<std::string, role_body> by_name;
    return by_name;
}

const char* env_or_empty(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Every process writing to one log appends: a child's lines are never written over by the
// parent's next ones, whatever each process's own position in the file.
void append_to_log(const std::string& path)
{
    log_file.close();
    log_file.clear();
    log_file.open(path, std::ios::out | std::ios::app);
}

// In a child started again for a role: set up as its parent asked, run the role, exit. A global
// test environment is set up before any test runs, once main and every static object is ready.
class role_runner : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (!in_role_child())
            return;
        const auto found = roles().find(env_or_empty("BRIMZO_TEST_ROLE"));
        if (found == roles().end())
            std::exit(120);
        std::error_code failed;
        std::filesystem::current_path(env_or_empty("BRIMZO_TEST_ROLE_DIR"), failed);
        if (failed)
            std::exit(121);
        append_to_log(env_or_empty("BRIMZO_TEST_ROLE_LOG"));
        std::exit(found->second(env_or_empty("BRIMZO_TEST_ROLE_ARGUMENT")));
    }
};

} // namespace

role::role(const char* name, role_body body)
{
    if (roles().empty())
        ::testing::AddGlobalTestEnvironment(new role_runner);
    roles()[name] = body;
}

child start_role(const std::string& name, const std::string& argument)
{
    const auto found = roles().find(name);
    if (found == roles().end())
        return child();
    static bool appending = false;
    const std::string log = test_work_dir() + "/brimzo.log";
    if (!appending) {
        append_to_log(log);
        appending = true;
    }
    // The child, started again, runs no test: the role ends it first. The filter names the
    // current one only so that the program has a test to set up for.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter =
        test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "*";
    return start_role_process(found->second, argument, filter,
                              {"BRIMZO_TEST_ROLE=" + name, "BRIMZO_TEST_ROLE_ARGUMENT=" + argument,
                               "BRIMZO_TEST_ROLE_DIR=" + std::filesystem::current_path().string(),
                               "BRIMZO_TEST_ROLE_LOG=" + log});
}

} // namespace test_system
