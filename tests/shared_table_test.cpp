// Several games on one high-score table at once: two name entries finished one after the
// other, loads racing saves, many processes recording results together (also killed at random,
// and as two users of a shared install), a game that holds the table past the wait, and a file
// system with no lock.
#include "app/states.h"
#include "game/score.h"
#include "scores/hi_scores.h"
#include "scores/score_file.h"
#include "support/fs_faults.h"
#include "support/score_table.h"
#include "support/test_env.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string LOADING = "Chargement des hi_scores.\n";
const std::string SAVING = "Sauvegarde des hi_scores\n";
const std::string CORRUPT = "Fichier hi_scores corrompu.\n";
const std::string CREATED = "Cr\xe9"
                            "ation d'un nouveau fichier de hi_scores\n";
const std::string CHANGED = "Fichier hi_scores modifi\xe9 par une autre partie, nouvelle lecture\n";
const std::string LOCK_LOAD = "Verrou des hi_scores non obtenu, chargement sans \xe9"
                              "criture\n";
const std::string LOCK_SAVE = "Verrou des hi_scores non obtenu, r\xe9sultat non sauvegard\xe9\n";
const std::string NO_LOCK = "Verrouillage des hi_scores impossible, poursuite sans verrou\n";
const std::string PUSHED_OUT =
    "R\xe9sultat sorti du tableau par une autre partie, non sauvegard\xe9\n";

using table = score_table;

// Ten rows named `name`, `top` down in steps of ten.
table ten_rows(const char* name, int top)
{
    table t;
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        t.names[i] = name;
        t.scores[i] = top - 10 * i;
    }
    return t;
}

table loaded()
{
    return loaded_table();
}

void save(const table& t)
{
    ASSERT_TRUE(save_scores(t.names, t.scores));
}

// A child process that runs `body` and exits with what it returns.
pid_t spawn(const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    return pid;
}

// The child's exit status, or 128 + the signal that ended it.
int finish(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string read_to_end(int fd)
{
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

int env_number(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : fallback;
}

class SharedTable : public ::testing::Test
{
protected:
    void SetUp() override { remove_score_files(); }
    void TearDown() override
    {
        score_lock_wait_ms = 3000;
        remove_score_files();
    }
};

// Centres of the name entry's buttons: three arrows back, three arrows forward, OK.
const int BUTTON_X[7] = {323, 394, 469, 323, 394, 469, 395};
const int BUTTON_Y[7] = {274, 274, 274, 380, 380, 380, 452};
const int OK = 6;

// One game in a process of its own, on the high-score screen after a game of `points`. It says
// when its screen is built, waits for the word to finish, then clicks `buttons` and OK, and
// reports the row that blinks and the ten rows it shows.
int game_at_name_entry(int points, const std::vector<int>& buttons, int to_parent, int from_parent)
{
    app_harness app;
    if (app.start() != 0)
        return 2;
    score = points;
    app.go_to(STATE_HI_SCORES);
    hi_scores* screen = dynamic_cast<hi_scores*>(currentState);
    if (screen == nullptr || !screen->entering_name())
        return 3;
    char word = 'r';
    if (write(to_parent, &word, 1) != 1 || read(from_parent, &word, 1) != 1)
        return 4;
    for (int button : buttons) {
        app.move(BUTTON_X[button], BUTTON_Y[button]);
        app.click();
        app.frame();
    }
    app.move(BUTTON_X[OK], BUTTON_Y[OK]);
    app.click();
    app.frame();
    std::string report = std::to_string(screen->blinking_row()) + "\n";
    for (int row = 0; row < SCORE_ENTRIES; ++row)
        report += std::string(screen->line_text(row)) + "\n";
    const bool sent =
        write(to_parent, report.data(), report.size()) == static_cast<ssize_t>(report.size());
    app.stop();
    return sent ? 0 : 5;
}

struct game_process
{
    pid_t pid = -1;
    int from_game = -1;
    int to_game = -1;

    game_process(int points, const std::vector<int>& buttons)
    {
        int up[2], down[2];
        if (pipe(up) != 0 || pipe(down) != 0)
            return;
        pid = spawn([&] {
            close(up[0]);
            close(down[1]);
            return game_at_name_entry(points, buttons, up[1], down[0]);
        });
        close(up[1]);
        close(down[0]);
        from_game = up[0];
        to_game = down[1];
    }
    bool ready() const
    {
        char word = 0;
        return read(from_game, &word, 1) == 1 && word == 'r';
    }
    // Lets the game click OK; its report, once it has exited.
    std::string finish_entry(int& status) const
    {
        const char word = 'g';
        if (write(to_game, &word, 1) != 1)
            return "";
        const std::string report = read_to_end(from_game);
        status = finish(pid);
        close(from_game);
        close(to_game);
        return report;
    }
};

// Two games reach their name entries on one table; B saves "ZAA 300", then A saves "ABA 200".
// A's result goes into the table as B left it: both are kept, and A's row blinks at its rank.
TEST_F(SharedTable, TwoGamesInNameEntryBothKeepTheirResults)
{
    game_process a(200, {4});    // B as the middle letter: "ABA"
    game_process b(300, {0, 0}); // back twice from A on the first letter: "ZAA"
    ASSERT_GT(a.pid, 0);
    ASSERT_GT(b.pid, 0);
    ASSERT_TRUE(a.ready());
    ASSERT_TRUE(b.ready());
    LogMark mark;
    int status_a = -1, status_b = -1;
    const std::string report_b = b.finish_entry(status_b);
    ASSERT_EQ(status_b, 0);
    EXPECT_EQ(report_b.substr(0, report_b.find('\n')), "0");
    const std::string report_a = a.finish_entry(status_a);
    ASSERT_EQ(status_a, 0);
    EXPECT_EQ(report_a, "1\n"
                        "ZAA    300\nABA    200\nAAA    100\nAAA    90\nAAA    80\n"
                        "AAA    70\nAAA    60\nAAA    50\nAAA    40\nAAA    30\n");

    const table expected = table().with(0, "ZAA", 300).with(1, "ABA", 200);
    EXPECT_EQ(loaded(), expected);
    const std::string log = mark.since();
    EXPECT_NE(log.find(CHANGED), std::string::npos) << log;
    EXPECT_EQ(log.find(CHANGED), log.rfind(CHANGED)) << log;
}

// The end of a name entry against what another game did to the table since this one loaded
// it: nothing (silent), a save, a table of ten better results, a damaged file.
struct merge_case
{
    const char* name;
    std::function<void()> meanwhile; // what happens on disk between the load and OK
    int points;
    int row;             // where the result lands, -1 when it no longer makes the table
    std::string log;     // from OK on
    table after;         // the table on disk afterwards and on screen
    bool disk_untouched; // OK writes nothing
};

void PrintTo(const merge_case& c, std::ostream* out)
{
    *out << c.name;
}

class MergeAtOk : public SharedTable, public ::testing::WithParamInterface<merge_case>
{
};

TEST_P(MergeAtOk, ResultGoesIntoTheTableAsItLiesOnDisk)
{
    const merge_case& c = GetParam();
    table t;
    score_table_seen seen;
    load_scores(t.names, t.scores, &seen);
    ASSERT_EQ(t, table());
    c.meanwhile();
    const std::string scores_before = read_file(SCORES_PATH);
    const std::string key_before = read_file(KEY_PATH);
    LogMark mark;
    EXPECT_EQ(record_result(t.names, t.scores, seen, c.points, "NEW"), c.row);
    EXPECT_EQ(mark.since(), c.log);
    EXPECT_EQ(t, c.after);
    if (c.disk_untouched) {
        EXPECT_EQ(read_file(SCORES_PATH), scores_before);
        EXPECT_EQ(read_file(KEY_PATH), key_before);
    } else {
        EXPECT_EQ(loaded(), c.after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SharedTable, MergeAtOk,
    ::testing::Values(
        merge_case{"unchanged_is_silent", [] {}, 95, 1, SAVING, table().with(1, "NEW", 95), false},
        merge_case{"saved_by_another_game", [] { save(table().with(0, "ZED", 500)); }, 95, 2,
                   CHANGED + LOADING + SAVING, table().with(0, "ZED", 500).with(2, "NEW", 95),
                   false},
        merge_case{"ten_better_results_meanwhile", [] { save(ten_rows("TOP", 1000)); }, 95, -1,
                   CHANGED + LOADING + PUSHED_OUT, ten_rows("TOP", 1000), true},
        merge_case{"damaged_meanwhile", [] { write_file(SCORES_PATH, "garbage"); }, 95, 1,
                   CHANGED + CORRUPT + CREATED + SAVING, table().with(1, "NEW", 95), false}),
    [](const ::testing::TestParamInfo<merge_case>& info) { return std::string(info.param.name); });

// Another game holds the lock past the wait: the load only reads (a stray temporary file, a
// damaged pair are left as they are), OK puts the result in the table in memory and writes
// nothing; once the lock is free again, the result is saved.
TEST_F(SharedTable, HolderPastTheWaitLeavesEverythingOnDiskAsItIs)
{
    save(ten_rows("OLD", 500));
    write_file(SCORES_NEW_PATH, "left by a save in progress");
    const std::string scores_before = read_file(SCORES_PATH);
    const std::string key_before = read_file(KEY_PATH);
    const int holder = open("./data", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    score_lock_wait_ms = 100;

    LogMark mark;
    table t;
    score_table_seen seen;
    load_scores(t.names, t.scores, &seen);
    EXPECT_EQ(t, ten_rows("OLD", 500));
    EXPECT_EQ(record_result(t.names, t.scores, seen, 455, "NEW"), 5);
    EXPECT_EQ(t, ten_rows("OLD", 500).with(5, "NEW", 455));
    EXPECT_EQ(mark.since(), LOCK_LOAD + LOADING + LOCK_SAVE);
    EXPECT_EQ(read_file(SCORES_PATH), scores_before);
    EXPECT_EQ(read_file(KEY_PATH), key_before);
    EXPECT_TRUE(file_exists(SCORES_NEW_PATH));

    // A damaged score file is not replaced either while the lock is held elsewhere.
    write_file(SCORES_PATH, "garbage");
    LogMark damaged;
    EXPECT_EQ(loaded(), table());
    EXPECT_EQ(damaged.since(), LOCK_LOAD + CORRUPT);
    EXPECT_EQ(read_file(SCORES_PATH), "garbage");
    EXPECT_EQ(read_file(KEY_PATH), key_before);

    ASSERT_EQ(close(holder), 0);
    LogMark freed;
    EXPECT_EQ(loaded(), table());
    EXPECT_EQ(freed.since(), CORRUPT + CREATED);
    EXPECT_FALSE(file_exists(SCORES_NEW_PATH));
}

// On a file system without the lock, the table is loaded and saved as before, and the log
// says so once.
TEST_F(SharedTable, NoLockOnTheFileSystemGoesOnAndSaysSoOnce)
{
    fs_faults no_lock;
    no_lock.lock_error = ENOLCK;
    LogMark mark;
    {
        fs_fault_scope scope(no_lock);
        table t;
        score_table_seen seen;
        load_scores(t.names, t.scores, &seen);
        EXPECT_EQ(record_result(t.names, t.scores, seen, 95, "NEW"), 1);
    }
    EXPECT_EQ(mark.since(), NO_LOCK + CREATED + SAVING);
    EXPECT_EQ(loaded(), table().with(1, "NEW", 95));
}

// One process saves two tables in turn while three others load in a loop, as games building
// their table screen do: every load gives one of the two tables, no save fails, nothing is
// taken for damaged.
TEST_F(SharedTable, LoadsRacingSavesNeverLoseOrRejectTheTable)
{
    const table a = ten_rows("AAB", 500), b = ten_rows("BBC", 600);
    save(a);
    const int rounds = env_number("BRIMZO_RACE_ROUNDS", 60);
    LogMark mark;
    std::vector<pid_t> children;
    children.push_back(spawn([&] {
        for (int i = 0; i < rounds; ++i) {
            const table& t = i % 2 == 0 ? b : a;
            if (!save_scores(t.names, t.scores))
                return 1;
        }
        return 0;
    }));
    for (int loader = 0; loader < 3; ++loader)
        children.push_back(spawn([&] {
            for (int i = 0; i < 2 * rounds; ++i) {
                const table t = loaded();
                if (!(t == a || t == b))
                    return 1;
            }
            return 0;
        }));
    for (pid_t child : children)
        EXPECT_EQ(finish(child), 0);
    EXPECT_EQ(mark.since().find(CORRUPT), std::string::npos);
    const table t = loaded();
    EXPECT_TRUE(t == a || t == b) << t;
    EXPECT_FALSE(file_exists(SCORES_NEW_PATH));
    EXPECT_FALSE(file_exists(KEY_NEW_PATH));
}

// Processes that each record results that no other process has (score 100000 + 128 i + id,
// named after the id), every one as a game does: the table loaded when the screen is built,
// the result recorded at OK. Each reports over a pipe the results it recorded. Afterwards,
// every row of the table is a real result, every reported result that beats the tenth row is
// in it, the key matches the file and no temporary file is left.
struct stress_case
{
    const char* name;
    bool killed;    // processes killed at random moments, and replaced
    bool two_users; // a shared install: two users of one group, files written in place
};

void PrintTo(const stress_case& c, std::ostream* out)
{
    *out << c.name;
}

class ManyGames : public SharedTable, public ::testing::WithParamInterface<stress_case>
{
};

constexpr int BASE = 100000;
constexpr int MAX_IDS = 128;
constexpr uid_t USERS[2] = {64001, 64002};
constexpr gid_t GROUP = 64000;

std::string name_of(int id)
{
    return std::string("R") + static_cast<char>('A' + id % 26) + static_cast<char>('A' + id / 26);
}

int record_results(int id, int results, bool two_users, int report)
{
    if (two_users &&
        (setgroups(1, &GROUP) != 0 || setgid(GROUP) != 0 || setuid(USERS[id % 2]) != 0))
        return 2;
    for (int i = 0; i < results; ++i) {
        const int points = BASE + MAX_IDS * i + id;
        table t;
        score_table_seen seen;
        load_scores(t.names, t.scores, &seen);
        if (points <= t.scores[SCORE_ENTRIES - 1])
            continue; // no name entry for this game
        if (record_result(t.names, t.scores, seen, points, name_of(id)) >= 0 &&
            write(report, &points, sizeof points) != sizeof points)
            return 3;
    }
    return 0;
}

TEST_P(ManyGames, EveryRecordedResultThatStillQualifiesIsInTheTable)
{
    const stress_case& c = GetParam();
    if (c.two_users && geteuid() != 0)
        GTEST_SKIP() << "two users need root to take their ids";
    const int processes = 8;
    const int results = env_number("BRIMZO_SHARED_RESULTS", 25);
    const int kills = c.killed ? env_number("BRIMZO_SHARED_KILLS", 10) : 0;
    loaded(); // the default pair
    if (c.two_users) {
        // data/ stays root's and refuses the users' new files; the pair is the group's.
        ASSERT_EQ(chmod(test_work_dir().c_str(), 0755), 0);
        ASSERT_EQ(chmod("./data", 0755), 0);
        for (const char* path : {SCORES_PATH, KEY_PATH}) {
            ASSERT_EQ(chown(path, 0, GROUP), 0);
            ASSERT_EQ(chmod(path, 0664), 0);
        }
    }
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    std::vector<pid_t> live;
    int next_id = 0;
    const auto start = [&] {
        const int id = next_id++;
        live.push_back(spawn([&, id] {
            close(report[0]);
            return record_results(id, results, c.two_users, report[1]);
        }));
    };
    for (int p = 0; p < processes; ++p)
        start();
    std::mt19937 gen(20261211);
    int killed = 0;
    std::vector<pid_t> done;
    while (killed < kills && next_id < MAX_IDS) {
        usleep(5000 + gen() % 40000);
        const size_t victim = gen() % live.size();
        kill(live[victim], SIGKILL);
        const int status = finish(live[victim]);
        EXPECT_TRUE(status == 128 + SIGKILL || status == 0) << status; // 0: it had finished
        killed += status == 128 + SIGKILL;
        live.erase(live.begin() + static_cast<long>(victim));
        start();
    }
    close(report[1]);
    const std::string reported = read_to_end(report[0]);
    close(report[0]);
    for (pid_t child : live)
        EXPECT_EQ(finish(child), 0);

    const table final_table = loaded();
    const int tenth = final_table.scores[SCORE_ENTRIES - 1];
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        const int id = (final_table.scores[i] - BASE) % MAX_IDS;
        const int round = (final_table.scores[i] - BASE) / MAX_IDS;
        EXPECT_TRUE(final_table.scores[i] >= BASE && id < next_id && round < results &&
                    final_table.names[i] == name_of(id))
            << "row " << i << " is no result: " << final_table;
    }
    const size_t count = reported.size() / sizeof(int);
    int recorded_above_tenth = 0;
    for (size_t r = 0; r < count; ++r) {
        int points = 0;
        std::memcpy(&points, reported.data() + r * sizeof(int), sizeof(int));
        if (points <= tenth)
            continue;
        ++recorded_above_tenth;
        bool found = false;
        for (int i = 0; i < SCORE_ENTRIES; ++i)
            found = found || final_table.scores[i] == points;
        EXPECT_TRUE(found) << points << " was recorded but is not in " << final_table;
    }
    EXPECT_GT(count, static_cast<size_t>(processes));
    EXPECT_EQ(read_file(KEY_PATH), key_for(read_file(SCORES_PATH)));
    EXPECT_FALSE(file_exists(SCORES_NEW_PATH));
    EXPECT_FALSE(file_exists(KEY_NEW_PATH));
    std::printf("%s: %d processes (%d killed), %zu results recorded, %d of them in the final "
                "table\n",
                c.name, next_id, killed, count, recorded_above_tenth);
}

INSTANTIATE_TEST_SUITE_P(SharedTable, ManyGames,
                         ::testing::Values(stress_case{"one_user", false, false},
                                           stress_case{"one_user_killed", true, false},
                                           stress_case{"two_users_in_place", false, true},
                                           stress_case{"two_users_in_place_killed", true, true}),
                         [](const ::testing::TestParamInfo<stress_case>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
