// Several games on one high-score table at once: two name entries finished one after the
// other, loads racing saves, many processes recording results together (also killed at random,
// and as two users of a shared install), a game that holds the table past the wait, and a file
// system with no lock.
#include "app/states.h"
#include "game/score.h"
#include "scores/hi_scores.h"
#include "scores/score_file.h"
#include "scores/score_fs.h"
#include "support/fs_faults.h"
#include "support/score_table.h"
#include "support/system.h"
#include "support/test_env.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <thread>
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

// The processes of a test speak through files in the working folder: a file appears whole, as
// it is renamed into place once written.
void say(const std::string& name, const std::string& text = std::string())
{
    write_file(name + ".part", text);
    std::filesystem::rename(name + ".part", name);
}

// Waits until `name` appears (for at most a minute): true when it did.
bool heard(const std::string& name)
{
    for (int waited_ms = 0; waited_ms < 60000; ++waited_ms) {
        if (file_exists(name))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
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

// One game in a process of its own ("NAME POINTS BUTTON..."), on the high-score screen after a
// game of `points`. It says when its screen is built (NAME.ready), waits for the word to finish
// (NAME.go), then clicks `buttons` and OK, and reports the row that blinks and the ten rows it
// shows (NAME.report).
int game_at_name_entry(const std::string& argument)
{
    std::istringstream in(argument);
    std::string name;
    int points = 0;
    in >> name >> points;
    std::vector<int> buttons;
    for (int button; in >> button;)
        buttons.push_back(button);
    app_harness app;
    if (app.start() != 0)
        return 2;
    score = points;
    app.go_to(STATE_HI_SCORES);
    hi_scores* screen = dynamic_cast<hi_scores*>(currentState);
    if (screen == nullptr || !screen->entering_name())
        return 3;
    say(name + ".ready");
    if (!heard(name + ".go"))
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
    say(name + ".report", report);
    app.stop();
    return 0;
}
const test_system::role GAME("game_at_name_entry", game_at_name_entry);

struct game_process
{
    std::string name;
    test_system::child process;

    game_process(const std::string& game_name, int points, const std::vector<int>& buttons)
        : name(game_name)
    {
        std::string argument = name + " " + std::to_string(points);
        for (int button : buttons)
            argument += " " + std::to_string(button);
        process = test_system::start_role("game_at_name_entry", argument);
    }
    bool ready() const { return process.running && heard(name + ".ready"); }
    // Lets the game click OK; its report, once it has exited.
    std::string finish_entry(int& status)
    {
        say(name + ".go");
        status = test_system::wait_child(process);
        return read_file(name + ".report");
    }
};

// Two games reach their name entries on one table; B saves "ZAA 300", then A saves "ABA 200".
// A's result goes into the table as B left it: both are kept, and A's row blinks at its rank.
TEST_F(SharedTable, TwoGamesInNameEntryBothKeepTheirResults)
{
    game_process a("a", 200, {4});    // B as the middle letter: "ABA"
    game_process b("b", 300, {0, 0}); // back twice from A on the first letter: "ZAA"
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

// Another game that holds the table's lock until it is told to let go.
int hold_the_lock(const std::string&)
{
    score_fs_lock lock;
    if (score_fs_try_lock("./data", lock) != score_fs_lock_state::held)
        return 2;
    say("holder.ready");
    const bool told = heard("holder.release");
    score_fs_unlock(lock);
    return told ? 0 : 3;
}
const test_system::role HOLDER("hold_the_lock", hold_the_lock);

// Another game holds the lock past the wait: the load only reads (a stray temporary file, a
// damaged pair are left as they are), OK puts the result in the table in memory and writes
// nothing; once the lock is free again, the result is saved.
TEST_F(SharedTable, HolderPastTheWaitLeavesEverythingOnDiskAsItIs)
{
    save(ten_rows("OLD", 500));
    write_file(SCORES_NEW_PATH, "left by a save in progress");
    const std::string scores_before = read_file(SCORES_PATH);
    const std::string key_before = read_file(KEY_PATH);
    test_system::child holder = test_system::start_role("hold_the_lock");
    ASSERT_TRUE(holder.running);
    ASSERT_TRUE(heard("holder.ready"));
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

    say("holder.release");
    ASSERT_EQ(test_system::wait_child(holder), 0);
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
const table RACED_A = ten_rows("AAB", 500), RACED_B = ten_rows("BBC", 600);

int race_saver(const std::string& rounds)
{
    for (int i = 0; i < std::stoi(rounds); ++i) {
        const table& t = i % 2 == 0 ? RACED_B : RACED_A;
        if (!save_scores(t.names, t.scores))
            return 1;
    }
    return 0;
}
const test_system::role RACE_SAVER("race_saver", race_saver);

int race_loader(const std::string& rounds)
{
    for (int i = 0; i < 2 * std::stoi(rounds); ++i) {
        const table t = loaded();
        if (!(t == RACED_A || t == RACED_B))
            return 1;
    }
    return 0;
}
const test_system::role RACE_LOADER("race_loader", race_loader);

TEST_F(SharedTable, LoadsRacingSavesNeverLoseOrRejectTheTable)
{
    const table& a = RACED_A;
    const table& b = RACED_B;
    save(a);
    const std::string rounds = std::to_string(env_number("BRIMZO_RACE_ROUNDS", 60));
    LogMark mark;
    std::vector<test_system::child> children;
    children.push_back(test_system::start_role("race_saver", rounds));
    for (int loader = 0; loader < 3; ++loader)
        children.push_back(test_system::start_role("race_loader", rounds));
    for (test_system::child& child : children) {
        EXPECT_TRUE(child.running);
        EXPECT_EQ(test_system::wait_child(child), 0);
    }
    EXPECT_EQ(mark.since().find(CORRUPT), std::string::npos);
    const table t = loaded();
    EXPECT_TRUE(t == a || t == b) << t;
    EXPECT_FALSE(file_exists(SCORES_NEW_PATH));
    EXPECT_FALSE(file_exists(KEY_NEW_PATH));
}

// Processes that each record results that no other process has (score 100000 + 128 i + id,
// named after the id), every one as a game does: the table loaded when the screen is built,
// the result recorded at OK. Each reports in a file the results it recorded. Afterwards,
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
constexpr unsigned USERS[2] = {64001, 64002};
constexpr unsigned GROUP = 64000;

std::string name_of(int id)
{
    return std::string("R") + static_cast<char>('A' + id % 26) + static_cast<char>('A' + id / 26);
}

// Each process appends the results it recorded to a file of its own, one fixed-width line per
// result, written whole before the next game: a process killed while writing leaves at most a
// partial last line, which is not counted.
constexpr size_t REPORT_LINE = 11;

std::string report_of(int id)
{
    return "recorded-" + std::to_string(id);
}

// "ID RESULTS TWO_USERS"
int record_results(const std::string& argument)
{
    std::istringstream in(argument);
    int id = 0, results = 0, two_users = 0;
    in >> id >> results >> two_users;
    if (two_users != 0 && !test_system::become_user(USERS[id % 2], GROUP))
        return 2;
    std::FILE* report = std::fopen(report_of(id).c_str(), "ab");
    if (report == nullptr)
        return 3;
    for (int i = 0; i < results; ++i) {
        const int points = BASE + MAX_IDS * i + id;
        table t;
        score_table_seen seen;
        load_scores(t.names, t.scores, &seen);
        if (points <= t.scores[SCORE_ENTRIES - 1])
            continue; // no name entry for this game
        if (record_result(t.names, t.scores, seen, points, name_of(id)) >= 0 &&
            (std::fprintf(report, "%010d\n", points) != int(REPORT_LINE) ||
             std::fflush(report) != 0))
            return 3;
    }
    return std::fclose(report) == 0 ? 0 : 3;
}
const test_system::role RECORDER("record_results", record_results);

TEST_P(ManyGames, EveryRecordedResultThatStillQualifiesIsInTheTable)
{
    const stress_case& c = GetParam();
    if (c.two_users && !test_system::is_superuser())
        GTEST_SKIP() << "two users need root to take their ids";
    const int processes = 8;
    const int results = env_number("BRIMZO_SHARED_RESULTS", 25);
    const int kills = c.killed ? env_number("BRIMZO_SHARED_KILLS", 10) : 0;
    loaded(); // the default pair
    if (c.two_users) {
        // data/ stays root's and refuses the users' new files; the pair is the group's. The
        // report files are made here and given to the users who write them.
        ASSERT_TRUE(test_system::set_mode(test_work_dir(), 0755));
        ASSERT_TRUE(test_system::set_mode("./data", 0755));
        for (const char* path : {SCORES_PATH, KEY_PATH}) {
            ASSERT_TRUE(test_system::set_owner(path, 0, GROUP));
            ASSERT_TRUE(test_system::set_mode(path, 0664));
        }
    }
    for (int id = 0; id < MAX_IDS; ++id) {
        std::remove(report_of(id).c_str());
        if (c.two_users) {
            write_file(report_of(id), "");
            ASSERT_TRUE(test_system::set_owner(report_of(id), USERS[id % 2], GROUP));
        }
    }
    std::vector<test_system::child> live;
    int next_id = 0;
    const auto start = [&] {
        const int id = next_id++;
        live.push_back(test_system::start_role("record_results", std::to_string(id) + " " +
                                                                     std::to_string(results) + " " +
                                                                     std::to_string(c.two_users)));
        EXPECT_TRUE(live.back().running);
    };
    for (int p = 0; p < processes; ++p)
        start();
    std::mt19937 gen(20261211);
    int killed = 0;
    while (killed < kills && next_id < MAX_IDS) {
        std::this_thread::sleep_for(std::chrono::microseconds(5000 + gen() % 40000));
        const size_t victim = gen() % live.size();
        int status = 0;
        if (test_system::child_ended(live[victim], status))
            EXPECT_EQ(status, 0); // it had finished
        else
            killed += test_system::kill_child(live[victim]);
        live.erase(live.begin() + static_cast<long>(victim));
        start();
    }
    for (test_system::child& child : live)
        EXPECT_EQ(test_system::wait_child(child), 0);
    std::string reported;
    for (int id = 0; id < next_id; ++id) {
        const std::string lines = read_file(report_of(id));
        reported += lines.substr(0, lines.size() - lines.size() % REPORT_LINE);
        std::remove(report_of(id).c_str());
    }

    const table final_table = loaded();
    const int tenth = final_table.scores[SCORE_ENTRIES - 1];
    for (int i = 0; i < SCORE_ENTRIES; ++i) {
        const int id = (final_table.scores[i] - BASE) % MAX_IDS;
        const int round = (final_table.scores[i] - BASE) / MAX_IDS;
        EXPECT_TRUE(final_table.scores[i] >= BASE && id < next_id && round < results &&
                    final_table.names[i] == name_of(id))
            << "row " << i << " is no result: " << final_table;
    }
    const size_t count = reported.size() / REPORT_LINE;
    int recorded_above_tenth = 0;
    for (size_t r = 0; r < count; ++r) {
        const int points = std::stoi(reported.substr(r * REPORT_LINE, REPORT_LINE));
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
