// Saves of the score file that fail at every file-system call in turn, and saves killed at
// random moments: the next load always gives the old table or the new one.
#include "scores/score_file.h"
#include "support/fs_faults.h"
#include "support/test_env.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string SAVING = "Sauvegarde des hi_scores\n";
const std::string LOADING = "Chargement des hi_scores.\n";
const std::string CORRUPT = "Fichier hi_scores corrompu.\n";

struct table
{
    std::string names[SCORE_ENTRIES];
    int scores[SCORE_ENTRIES];

    explicit table(const char* first, int points)
    {
        default_scores(names, scores);
        names[0] = first;
        scores[0] = points;
    }
    table() { default_scores(names, scores); }
    bool operator==(const table& other) const
    {
        for (int i = 0; i < SCORE_ENTRIES; ++i)
            if (names[i] != other.names[i] || scores[i] != other.scores[i])
                return false;
        return true;
    }
};

std::ostream& operator<<(std::ostream& out, const table& t)
{
    return out << t.names[0] << ' ' << t.scores[0];
}

table loaded()
{
    table t;
    load_scores(t.names, t.scores);
    return t;
}

void clear_files()
{
    for (const char* path : {SCORES_PATH, KEY_PATH, SCORES_NEW_PATH, KEY_NEW_PATH})
        std::remove(path);
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
    const table old_table("OLD", 777), new_table("NEW", 999);
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

// A child saves two tables in turn without end and is killed at a random moment; the parent
// then loads. BRIMZO_KILLS sets the number of kills (200 by default).
TEST(KilledAtRandom, EveryKillLeavesTheOldOrTheNewTable)
{
    clear_files();
    const table a("AAB", 500), b("BBC", 600);
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
