// Saves of the score file that fail at every file-system call in turn, and saves killed at
// random moments: the next load always gives the old table or the new one.
#include "scores/score_file.h"
#include "support/fs_faults.h"
#include "support/score_table.h"
#include "support/test_env.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    rmdir("./data/shared");
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
        ASSERT_EQ(mkdir("./data/shared", 0755), 0);
        ASSERT_EQ(symlink("shared/scores.txt", SCORES_PATH), 0);
        ASSERT_EQ(symlink("shared/scores.cle", KEY_PATH), 0);
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
// failing, for every n. A failure that the save survives must still leave a log line.
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
        EXPECT_NE(save_log, SAVING) << "call " << n << ": the failure left no log line";
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

// The kills stop the process, not the machine, so what the disk has made durable does not
// matter here: the pair lives in memory (/dev/shm) where there is one, which keeps the
// thousands of synced writes of these runs fast.
class KilledInPlace : public ::testing::TestWithParam<in_place_case>
{
protected:
    void SetUp() override
    {
        char templ[] = "/dev/shm/brimzo-in-place-XXXXXX";
        if (mkdtemp(templ) == nullptr)
            return;
        memory_dir = templ;
        ASSERT_EQ(mkdir((memory_dir + "/data").c_str(), 0755), 0);
        ASSERT_EQ(chdir(memory_dir.c_str()), 0);
    }
    void TearDown() override
    {
        clear_files();
        if (!memory_dir.empty()) {
            ASSERT_EQ(chdir(test_work_dir().c_str()), 0);
            rmdir((memory_dir + "/data").c_str());
            rmdir(memory_dir.c_str());
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
        save_scores(to.names, to.scores);
        return counted.calls;
    }

    // Runs `body` in a child under the refusing seam that fails call `fail_at` and kills the
    // child after call `kill_after`; true when the child was killed there.
    static bool killed_child(int fail_at, int kill_after, const std::function<void()>& body)
    {
        const pid_t child = fork();
        if (child == 0) {
            fs_faults faults;
            faults.refuse_new_files = true;
            faults.fail_at = fail_at;
            faults.error = EIO;
            faults.kill_after = kill_after;
            fs_fault_scope scope(faults);
            body();
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
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
// these thousand forks costs some twenty times more, one in four and one in three.
#ifdef BRIMZO_SANITIZE_BUILD
constexpr int FAILING_CALL_STEP = 4;
constexpr int KILLED_LOAD_STEP = 3;
#else
constexpr int FAILING_CALL_STEP = 1;
constexpr int KILLED_LOAD_STEP = 1;
#endif

TEST_P(KilledInPlace, EveryCallLeavesTheOldOrTheNewTable)
{
    const in_place_case& c = GetParam();
    const auto save_new = [&c] { save_scores(c.after.names, c.after.scores); };
    const auto load = [] {
        table t;
        load_scores(t.names, t.scores);
    };
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
            ASSERT_TRUE(killed_child(fail_at, n, save_new)) << where;
            ++kills;
            if (fail_at == 0 && n % KILLED_LOAD_STEP == 0) {
                // What this kill left, as the next game's load finds it, killed in turn after
                // each of that load's own calls.
                const std::string scores_left = read_file(SCORES_PATH);
                const std::string key_left = read_file(KEY_PATH);
                for (int k = 1;; ++k) {
                    write_file(SCORES_PATH, scores_left);
                    write_file(KEY_PATH, key_left);
                    if (!killed_child(0, k, load))
                        break;
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

const table LONG_TABLE = [] {
    table t;
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        t.names[i] = "LNG";
        t.scores[i] = 999999 - i;
    }
    return t;
}();

INSTANTIATE_TEST_SUITE_P(
    ScoreFile, KilledInPlace,
    ::testing::Values(in_place_case{"shorter_over_longer", LONG_TABLE, table::of({{"NEW", 999}})},
                      in_place_case{"longer_over_shorter", table::of({{"OLD", 777}}), LONG_TABLE},
                      // Keys "1232883329 61" and "16213729 61": the new key is two digits
                      // shorter, so an old key written back over "NEW OLD" and not padded
                      // would run into the rest of it ("1232883329 61232883329 61").
                      in_place_case{"key_two_digits_shorter", table::of({{"OLD", 777}}),
                                    table::of({{"ABC", 999}})}),
    [](const ::testing::TestParamInfo<in_place_case>& info) {
        return std::string(info.param.name);
    });

// A child saves two tables in turn without end and is killed at a random moment; the parent
// then loads. BRIMZO_KILLS sets the number of kills (200 by default).
TEST(KilledAtRandom, EveryKillLeavesTheOldOrTheNewTable)
{
    clear_files();
    const table a = table::of({{"AAB", 500}}), b = table::of({{"BBC", 600}});
    ASSERT_TRUE(save_scores(a.names, a.scores));
    const char* env = std::getenv("BRIMZO_KILLS");
    const int kills = env != nullptr ? std::atoi(env) : 200;
    std::mt19937 gen(20261210);
    int as = 0, bs = 0;
    for (int round = 0; round < kills; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                const table& t = i % 2 == 0 ? b : a;
                save_scores(t.names, t.scores);
            }
        }
        usleep(200 + gen() % 15000);
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
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
    clear_files();
}

} // namespace
