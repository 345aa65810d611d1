// Saves of the score file that fail at every file-system call in turn, and saves killed at
// random moments: the next load always gives the old table or the new one.
#include "scores/score_file.h"
#include "support/fs_faults.h"
#include "support/score_table.h"
#include "support/system.h"
#include "support/test_env.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

const std::string SAVING = "Sauvegarde des hi_scores\n";
const std::string LOADING = "Chargement des hi_scores.\n";
const std::string CORRUPT = "Fichier hi_scores corrompu.\n";

using table = score_table;

table loaded()
{
    return loaded_table();
}

void clear_files()
{
    remove_score_files();
    std::remove("./data/shared/scores.txt");
    std::remove("./data/shared/scores.cle");
    std::remove("./data/shared/scores.txt.new");
    std::remove("./data/shared/scores.cle.new");
    std::error_code ignored;
    fs::remove("./data/shared", ignored);
}

// Where the pair lives for one series of faults.
enum class layout
{
    plain,       // two regular files in data/
    links,       // both names are relative links into data/shared/
    refusing_dir // data/ refuses new files: the save writes in place
};

void prepare(layout l, const table& old_table)
{
    clear_files();
    if (l == layout::links) {
        ASSERT_TRUE(fs::create_directory("./data/shared"));
        ASSERT_TRUE(test_system::make_link("shared/scores.txt", SCORES_PATH));
        ASSERT_TRUE(test_system::make_link("shared/scores.cle", KEY_PATH));
    }
    ASSERT_TRUE(save_scores(old_table.names, old_table.scores));
}

struct fault_case
{
    const char* name;
    layout where;
    int error;
};

void PrintTo(const fault_case& c, std::ostream* out)
{
    *out << c.name;
}

class FaultAtEveryCall : public ::testing::TestWithParam<fault_case>
{
protected:
    void TearDown() override { clear_files(); }
};

// The calls of a clean save are counted first; then the save is made again with call n
// failing, for every n. A failure that the save survives must still leave a log line, unless
// the failed call was simply tried again after a pause (a move held up on Windows).
TEST_P(FaultAtEveryCall, NextLoadGivesTheOldOrTheNewTable)
{
    const fault_case& c = GetParam();
    const table old_table = table::of({{"OLD", 777}}), new_table = table::of({{"NEW", 999}});
    const bool refusing = c.where == layout::refusing_dir;

    ASSERT_NO_FATAL_FAILURE(prepare(c.where, old_table));
    fs_faults clean;
    clean.refuse_new_files = refusing;
    {
        fs_fault_scope scope(clean);
        ASSERT_TRUE(save_scores(new_table.names, new_table.scores));
    }
    ASSERT_EQ(loaded(), new_table);
    ASSERT_GT(clean.calls, 5);

    int new_tables = 0;
    for (int n = 1; n <= clean.calls; ++n) {
        ASSERT_NO_FATAL_FAILURE(prepare(c.where, old_table));
        fs_faults faults;
        faults.refuse_new_files = refusing;
        faults.fail_at = n;
        faults.error = c.error;
        LogMark mark;
        {
            fs_fault_scope scope(faults);
            save_scores(new_table.names, new_table.scores);
        }
        const std::string save_log = mark.since();
        if (faults.pauses == 0) {
            EXPECT_NE(save_log, SAVING) << "call " << n << ": the failure left no log line";
        }
        EXPECT_EQ(save_log.find(SAVING), 0u) << "call " << n;

        LogMark load_mark;
        const table t = loaded();
        EXPECT_TRUE(t == old_table || t == new_table) << "call " << n << " gave " << t;
        EXPECT_EQ(load_mark.since().find(CORRUPT), std::string::npos) << "call " << n;
        new_tables += t == new_table;
        LogMark again;
        EXPECT_EQ(loaded(), t) << "call " << n;
        EXPECT_EQ(again.since(), LOADING) << "call " << n;
    }
    RecordProperty("failing_calls", clean.calls);
    std::printf("%s: %d failing calls, %d loaded the new table, %d the old one\n", c.name,
                clean.calls, new_tables, clean.calls - new_tables);
}

INSTANTIATE_TEST_SUITE_P(
    ScoreFile, FaultAtEveryCall,
    ::testing::Values(fault_case{"plain_eio", layout::plain, EIO},
                      fault_case{"plain_enospc", layout::plain, ENOSPC},
                      fault_case{"plain_eacces", layout::plain, EACCES},
                      fault_case{"links_eio", layout::links, EIO},
                      fault_case{"links_enospc", layout::links, ENOSPC},
                      fault_case{"links_eacces", layout::links, EACCES},
                      fault_case{"refusing_dir_eio", layout::refusing_dir, EIO},
                      fault_case{"refusing_dir_enospc", layout::refusing_dir, ENOSPC},
                      fault_case{"refusing_dir_eacces", layout::refusing_dir, EACCES}),
    [](const ::testing::TestParamInfo<fault_case>& info) { return std::string(info.param.name); });

// A directory that refuses new files: the save writes both files in place, the one save with
// no atomic swap. A child makes the save (or, in turn, a load that finds what such a kill
// left) and kills itself right after file-system call n, for every n; when `fail_at` is set,
// that call fails first, so that the save's rollbacks are cut short as well. The next load in
// the same directory gives the old table or the new one, and the load after it agrees.
struct in_place_case
{
    const char* name;
    table before, after; // a longer and a shorter table, in either order
};

void PrintTo(const in_place_case& c, std::ostream* out)
{
    *out << c.name;
}

const table LONG_TABLE = [] {
    table t;
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        t.names[i] = "LNG";
        t.scores[i] = 999999 - i;
    }
    return t;
}();

const in_place_case IN_PLACE_CASES[] = {
    {"shorter_over_longer", LONG_TABLE, table::of({{"NEW", 999}})},
    {"longer_over_shorter", table::of({{"OLD", 777}}), LONG_TABLE},
    // Keys "1232883329 61" and "16213729 61": the new key is two digits shorter, so an old key
    // written back over "NEW OLD" and not padded would run into the rest of it
    // ("1232883329 61232883329 61").
    {"key_two_digits_shorter", table::of({{"OLD", 777}}), table::of({{"ABC", 999}})},
};

// In the child: "CASE FAIL_AT KILL_AFTER save|load" under the refusing seam.
int killed_in_place(const std::string& argument)
{
    std::istringstream in(argument);
    std::string name, operation;
    fs_faults faults;
    faults.refuse_new_files = true;
    faults.error = EIO;
    in >> name >> faults.fail_at >> faults.kill_after >> operation;
    const in_place_case* c = nullptr;
    for (const in_place_case& each : IN_PLACE_CASES)
        if (name == each.name)
            c = &each;
    if (!in || c == nullptr)
        return 2;
    fs_fault_scope scope(faults);
    table t = c->after;
    if (operation == "save")
        save_scores(t.names, t.scores);
    else
        load_scores(t.names, t.scores);
    return 0;
}
const test_system::role KILLED_IN_PLACE("killed_in_place", killed_in_place);

// The kills stop the process, not the machine, so what the disk has made durable does not
// matter here: the pair lives in memory (/dev/shm) where there is one, which keeps the
// thousands of synced writes of these runs fast.
class KilledInPlace : public ::testing::TestWithParam<in_place_case>
{
protected:
    void SetUp() override
    {
        memory_dir = test_system::make_memory_temp_dir("brimzo-in-place-");
        ASSERT_FALSE(memory_dir.empty());
        ASSERT_TRUE(fs::create_directory(memory_dir + "/data"));
        ASSERT_TRUE(test_system::change_dir(memory_dir));
    }
    void TearDown() override
    {
        clear_files();
        if (!memory_dir.empty()) {
            ASSERT_TRUE(test_system::change_dir(test_work_dir()));
            std::error_code ignored;
            fs::remove_all(memory_dir, ignored);
        }
    }

    std::string memory_dir;

    // The calls a save makes with call `fail_at` failing (0: none), run to the end.
    int calls_of_save(const table& from, const table& to, int fail_at)
    {
        clear_files();
        EXPECT_TRUE(save_scores(from.names, from.scores));
        fs_faults counted;
        counted.refuse_new_files = true;
        counted.fail_at = fail_at;
        counted.error = EIO;
        fs_fault_scope scope(counted);
        table t = to;
        save_scores(t.names, t.scores);
        return counted.calls;
    }

    // Runs `operation` of this case in a child under the refusing seam that fails call
    // `fail_at` and kills the child after call `kill_after`: -1 when the child was killed
    // there, else its exit status (0: it ended before that call), -2 when it did not start.
    int child_status(int fail_at, int kill_after, const char* operation) const
    {
        test_system::child c = test_system::start_role(
            "killed_in_place", std::string(GetParam().name) + " " + std::to_string(fail_at) + " " +
                                   std::to_string(kill_after) + " " + operation);
        return c.running ? test_system::wait_child(c) : -2;
    }

    // The next two loads in the refusing directory: one of the two tables, then the same.
    static void expect_old_or_new(const in_place_case& c, const std::string& where)
    {
        fs_faults refusing;
        refusing.refuse_new_files = true;
        fs_fault_scope scope(refusing);
        LogMark mark;
        const table t = loaded();
        EXPECT_TRUE(t == c.before || t == c.after) << where << " gave " << t;
        EXPECT_EQ(mark.since().find(CORRUPT), std::string::npos) << where;
        LogMark again;
        EXPECT_EQ(loaded(), t) << where;
        EXPECT_EQ(again.since(), LOADING) << where;
    }
};

// Which failing calls are combined with the kills, and after which killed saves the next load
// is killed in turn: all of them in the optimised build; under the sanitizers, where each of
// these thousand children costs some twenty times more, one in four and one in three; where a
// child is a program started again (Windows, run under Wine), one in five and one in four.
#if defined(BRIMZO_SANITIZE_BUILD)
constexpr int FAILING_CALL_STEP = 4;
constexpr int KILLED_LOAD_STEP = 3;
#elif defined(BRIMZO_SLOW_CHILD_PROCESSES)
constexpr int FAILING_CALL_STEP = 5;
constexpr int KILLED_LOAD_STEP = 4;
#else
constexpr int FAILING_CALL_STEP = 1;
constexpr int KILLED_LOAD_STEP = 1;
#endif

TEST_P(KilledInPlace, EveryCallLeavesTheOldOrTheNewTable)
{
    const in_place_case& c = GetParam();
    const int clean_calls = calls_of_save(c.before, c.after, 0);
    ASSERT_GT(clean_calls, 5);
    int kills = 0, load_kills = 0;
    for (int fail_at = 0; fail_at <= clean_calls; fail_at += FAILING_CALL_STEP) {
        const int calls = calls_of_save(c.before, c.after, fail_at);
        for (int n = 1; n <= calls; ++n) {
            const std::string where =
                "failing call " + std::to_string(fail_at) + ", killed after " + std::to_string(n);
            clear_files();
            ASSERT_TRUE(save_scores(c.before.names, c.before.scores));
            LogMark child_log;
            int status = child_status(fail_at, n, "save");
            if (status != -1) {
                // Under Wine a child was once not killed there (in one of six runs of the
                // Windows suite, among some 1,500 children each time). It is said, and the same
                // save is made once more, which must then be killed there: a save that takes
                // another path fails here every time.
                std::printf("%s: not killed there (status %d), made again; its log: %s\n",
                            where.c_str(), status, child_log.since().c_str());
                clear_files();
                ASSERT_TRUE(save_scores(c.before.names, c.before.scores));
                status = child_status(fail_at, n, "save");
            }
            ASSERT_EQ(status, -1) << where << ": not killed there; the log: " << child_log.since();
            ++kills;
            if (fail_at == 0 && n % KILLED_LOAD_STEP == 0) {
                // What this kill left, as the next game's load finds it, killed in turn after
                // each of that load's own calls.
                const std::string scores_left = read_file(SCORES_PATH);
                const std::string key_left = read_file(KEY_PATH);
                for (int k = 1;; ++k) {
                    write_file(SCORES_PATH, scores_left);
                    write_file(KEY_PATH, key_left);
                    const int status = child_status(0, k, "load");
                    if (status != -1) {
                        ASSERT_EQ(status, 0) << where << ", load killed after " << k;
                        break;
                    }
                    ++load_kills;
                    expect_old_or_new(c, where + ", load killed after " + std::to_string(k));
                }
                write_file(SCORES_PATH, scores_left);
                write_file(KEY_PATH, key_left);
            }
            expect_old_or_new(c, where);
            if (HasFailure())
                return;
        }
    }
    std::printf("%s: %d calls in a clean save, %d killed saves, %d killed loads\n", c.name,
                clean_calls, kills, load_kills);
}

INSTANTIATE_TEST_SUITE_P(ScoreFile, KilledInPlace, ::testing::ValuesIn(IN_PLACE_CASES),
                         [](const ::testing::TestParamInfo<in_place_case>& info) {
                             return std::string(info.param.name);
                         });

// A child saves two tables in turn without end and is killed at a random moment once it has
// begun; the parent then loads. BRIMZO_KILLS sets the number of kills (200 by default).
const table SAVED_A = table::of({{"AAB", 500}}), SAVED_B = table::of({{"BBC", 600}});
const char* const SAVER_STARTED = "saver-started";

int save_without_end(const std::string&)
{
    write_file(SAVER_STARTED, "");
    for (int i = 0;; ++i) {
        table t = i % 2 == 0 ? SAVED_B : SAVED_A;
        save_scores(t.names, t.scores);
    }
}
const test_system::role SAVER("save_without_end", save_without_end);

TEST(KilledAtRandom, EveryKillLeavesTheOldOrTheNewTable)
{
    clear_files();
    const table& a = SAVED_A;
    const table& b = SAVED_B;
    table first = a;
    ASSERT_TRUE(save_scores(first.names, first.scores));
    const char* env = std::getenv("BRIMZO_KILLS");
    const int kills = env != nullptr ? std::atoi(env) : 200;
    std::mt19937 gen(20261210);
    int as = 0, bs = 0;
    for (int round = 0; round < kills; ++round) {
        std::remove(SAVER_STARTED);
        test_system::child saver = test_system::start_role("save_without_end");
        ASSERT_TRUE(saver.running);
        int status = 0;
        while (!file_exists(SAVER_STARTED)) {
            ASSERT_FALSE(test_system::child_ended(saver, status)) << "the saver exited";
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200 + gen() % 15000));
        ASSERT_TRUE(test_system::kill_child(saver)) << "kill " << round;
        LogMark mark;
        const table t = loaded();
        ASSERT_TRUE(t == a || t == b) << "kill " << round << " gave " << t;
        ASSERT_EQ(mark.since().find(CORRUPT), std::string::npos) << "kill " << round;
        as += t == a;
        bs += t == b;
        LogMark again;
        ASSERT_EQ(loaded(), t);
        ASSERT_EQ(again.since(), LOADING) << "kill " << round;
    }
    std::printf("%d kills: %d loaded one table, %d the other\n", kills, as, bs);
    std::remove(SAVER_STARTED);
    clear_files();
}

} // namespace
