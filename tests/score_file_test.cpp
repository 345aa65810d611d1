// The score file and its check key: exact bytes, every load flow, names with spaces, and saves
// that fail or are killed half-way.
#include "scores/score_file.h"
#include "support/fs_faults.h"
#include "support/score_table.h"
#include "support/system.h"
#include "support/test_env.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

const std::string DEFAULT_FILE =
    "AAA 100 AAA 90 AAA 80 AAA 70 AAA 60 AAA 50 AAA 40 AAA 30 AAA 20 AAA 10 ";
const std::string ZED_FILE = "ZED 120AAA 100AAA 90AAA 80AAA 70AAA 60AAA 50AAA 40AAA 30AAA 20";

const std::string CREATED = "Cr\xe9"
                            "ation d'un nouveau fichier de hi_scores\n";
const std::string CORRUPT = "Fichier hi_scores corrompu.\n";
const std::string LOADING = "Chargement des hi_scores.\n";
const std::string SAVING = "Sauvegarde des hi_scores\n";
const std::string RESUMED = "Reprise d'une sauvegarde interrompue des hi_scores\n";
const std::string SAVE_FAILED =
    "Echec de la sauvegarde des hi_scores, anciens fichiers conserv\xe9s\n";

using table = score_table;

// "ZED 120" then the default entries moved down one place.
table zed_table()
{
    return table().with(0, "ZED", 120);
}

table loaded()
{
    return loaded_table();
}

bool save(const table& t)
{
    return save_scores(t.names, t.scores);
}

class ScoreFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        score_save_hook = nullptr;
        remove_score_files();
    }
    void TearDown() override { SetUp(); }
};

TEST_F(ScoreFile, BothFilesMissingWritesTheDefaultFileAndItsKey)
{
    LogMark mark;
    EXPECT_EQ(loaded(), table());
    EXPECT_EQ(mark.since(), CREATED);
    EXPECT_EQ(read_file(SCORES_PATH), DEFAULT_FILE);
    EXPECT_EQ(read_file(KEY_PATH), "954095228 71");
    EXPECT_EQ(read_file(KEY_PATH), key_for(DEFAULT_FILE));
    EXPECT_FALSE(file_exists(SCORES_NEW_PATH));
    EXPECT_FALSE(file_exists(KEY_NEW_PATH));
}

TEST_F(ScoreFile, SaveWritesNamesAndScoresWithoutSeparatorsAndTheKey)
{
    LogMark mark;
    EXPECT_TRUE(save(zed_table()));
    EXPECT_EQ(mark.since(), SAVING);
    EXPECT_EQ(read_file(SCORES_PATH), ZED_FILE);
    EXPECT_EQ(read_file(SCORES_PATH).size(), 62u);
    EXPECT_EQ(read_file(KEY_PATH), "4216712299 62");
    EXPECT_FALSE(file_exists(SCORES_NEW_PATH));
    EXPECT_FALSE(file_exists(KEY_NEW_PATH));
}

// One load from the given files (absent when null).
struct load_case
{
    const char* name;
    const char* scores_file;
    const char* key_file;
    std::string expected_log;
    table expected;
    bool rewrites_default; // both files end as the default pair
};

const std::string ZED_KEY = key_for(ZED_FILE);
const std::string ZED_KEY_LENGTH_OFF = ZED_KEY.substr(0, ZED_KEY.find(' ')) + " 63";
const std::string ZED_KEY_ON_TWO_LINES = ZED_KEY.substr(0, ZED_KEY.find(' ')) + "\n62";
const std::string ZEE_FILE = "ZEE" + ZED_FILE.substr(3);
const std::string ZED_FILE_PLUS_ONE = ZED_FILE + "0";
const std::string FOURTH_NOT_A_NUMBER =
    "BOB 500ANN 400CID 300DAN xyzEVE 100 FAY 90 GUS 80 HAL 70 IDA 60 JOE 50";
const std::string FOURTH_NOT_A_NUMBER_KEY = key_for(FOURTH_NOT_A_NUMBER);

void PrintTo(const load_case& c, std::ostream* out)
{
    *out << c.name;
}

class LoadFlows : public ScoreFile, public ::testing::WithParamInterface<load_case>
{
};

TEST_P(LoadFlows, LogsAndTable)
{
    const load_case& c = GetParam();
    if (c.scores_file != nullptr)
        write_file(SCORES_PATH, c.scores_file);
    if (c.key_file != nullptr)
        write_file(KEY_PATH, c.key_file);
    const std::string scores_before = read_file(SCORES_PATH);

    LogMark mark;
    EXPECT_EQ(loaded(), c.expected);
    EXPECT_EQ(mark.since(), c.expected_log);
    if (c.rewrites_default) {
        EXPECT_EQ(read_file(SCORES_PATH), DEFAULT_FILE);
        EXPECT_EQ(read_file(KEY_PATH), key_for(DEFAULT_FILE));
    } else {
        EXPECT_EQ(read_file(SCORES_PATH), scores_before);
        EXPECT_EQ(file_exists(KEY_PATH), c.key_file != nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ScoreFile, LoadFlows,
    ::testing::Values(
        load_case{"matching_pair", ZED_FILE.c_str(), ZED_KEY.c_str(), LOADING, zed_table(), false},
        load_case{"key_on_two_lines", ZED_FILE.c_str(), ZED_KEY_ON_TWO_LINES.c_str(), LOADING,
                  zed_table(), false},
        load_case{"content_changed", ZEE_FILE.c_str(), ZED_KEY.c_str(), CORRUPT + CREATED, table(),
                  true},
        load_case{"byte_added", ZED_FILE_PLUS_ONE.c_str(), ZED_KEY.c_str(), CORRUPT + CREATED,
                  table(), true},
        load_case{"length_differs", ZED_FILE.c_str(), ZED_KEY_LENGTH_OFF.c_str(), CORRUPT + CREATED,
                  table(), true},
        load_case{"no_key", ZED_FILE.c_str(), nullptr, CORRUPT + CREATED, table(), true},
        load_case{"no_score_file", nullptr, ZED_KEY.c_str(), CORRUPT + CREATED, table(), true},
        load_case{"both_missing", nullptr, nullptr, CREATED, table(), true},
        load_case{"empty_file_no_key", "", nullptr, LOADING, table(), false},
        load_case{"fourth_score_not_a_number", FOURTH_NOT_A_NUMBER.c_str(),
                  FOURTH_NOT_A_NUMBER_KEY.c_str(), LOADING,
                  table::of({{"BOB", 500}, {"ANN", 400}, {"CID", 300}, {"DAN", 70}}), false}),
    [](const ::testing::TestParamInfo<load_case>& info) { return std::string(info.param.name); });

// Tables saved and loaded back.
struct round_trip_case
{
    const char* name;
    table saved;
    const char* file; // the exact bytes expected on disk, when given
};

void PrintTo(const round_trip_case& c, std::ostream* out)
{
    *out << c.name;
}

class RoundTrip : public ScoreFile, public ::testing::WithParamInterface<round_trip_case>
{
};

TEST_P(RoundTrip, LoadsBackTheSavedTable)
{
    const round_trip_case& c = GetParam();
    ASSERT_TRUE(save(c.saved));
    if (c.file != nullptr) {
        EXPECT_EQ(read_file(SCORES_PATH), c.file);
    }
    EXPECT_EQ(read_file(KEY_PATH), key_for(read_file(SCORES_PATH)));
    LogMark mark;
    EXPECT_EQ(loaded(), c.saved);
    EXPECT_EQ(mark.since(), LOADING);
}

const std::string LETTERS_FILE =
    "QUI 9999XYZ 4000ABC 345ZZZ 100MMM 99NOP 50RST 25UVW 25KLM 1AAA -3";
const table LETTERS = table::of({{"QUI", 9999},
                                 {"XYZ", 4000},
                                 {"ABC", 345},
                                 {"ZZZ", 100},
                                 {"MMM", 99},
                                 {"NOP", 50},
                                 {"RST", 25},
                                 {"UVW", 25},
                                 {"KLM", 1},
                                 {"AAA", -3}});
INSTANTIATE_TEST_SUITE_P(
    ScoreFile, RoundTrip,
    ::testing::Values(
        round_trip_case{"zed", zed_table(), ZED_FILE.c_str()},
        round_trip_case{"letters_only", LETTERS, LETTERS_FILE.c_str()},
        round_trip_case{"three_spaces", table::of({{"ZED", 500}, {"   ", 400}, {"BOB", 300}}),
                        "ZED 500___ 400BOB 300AAA 70AAA 60AAA 50AAA 40AAA 30AAA 20AAA 10"},
        round_trip_case{"spaces_inside_and_around",
                        table::of({{" B ", 300}, {"A A", 200}, {"  Z", 150}, {"Q  ", 120}}),
                        nullptr},
        round_trip_case{"wide_scores", table::of({{"BIG", 2147483647}, {"NEG", -2147483647 - 1}}),
                        nullptr}),
    [](const ::testing::TestParamInfo<round_trip_case>& info) {
        return std::string(info.param.name);
    });

// A save killed after each of its steps, in a child process, then a load in this one: the
// table is the old one until the new score file is in place, the new one from then on, and
// never the defaults. The next load finds a consistent pair and no leftovers.
int kill_at_step = 0;

void kill_self_at(int step)
{
    if (step == kill_at_step)
        test_system::kill_self();
}

const table KILLED_OLD = table::of({{"OLD", 777}, {"ONE", 555}});
const table KILLED_NEW = table::of({{"NEW", 999}, {"OLD", 777}, {"ONE", 555}});

// In the child: the new table saved, killed after the step given.
int save_killed_at(const std::string& step)
{
    kill_at_step = std::stoi(step);
    score_save_hook = kill_self_at;
    save(KILLED_NEW);
    return 0;
}
const test_system::role SAVE_KILLED_AT("save_killed_at", save_killed_at);

struct kill_case
{
    int step;
    bool new_table_expected;
    std::string expected_log;
};

void PrintTo(const kill_case& c, std::ostream* out)
{
    *out << "kill after step " << c.step;
}

class KilledSave : public ScoreFile, public ::testing::WithParamInterface<kill_case>
{
};

TEST_P(KilledSave, NeverLoadsAsDefaults)
{
    const kill_case& c = GetParam();
    const table& old_table = KILLED_OLD;
    const table& new_table = KILLED_NEW;
    ASSERT_TRUE(save(old_table));

    test_system::child child = test_system::start_role("save_killed_at", std::to_string(c.step));
    ASSERT_TRUE(child.running);
    ASSERT_EQ(test_system::wait_child(child), -1) << "the save never reached step " << c.step;

    LogMark mark;
    EXPECT_EQ(loaded(), c.new_table_expected ? new_table : old_table);
    EXPECT_EQ(mark.since(), c.expected_log);
    EXPECT_FALSE(file_exists(SCORES_NEW_PATH));
    EXPECT_FALSE(file_exists(KEY_NEW_PATH));
    EXPECT_EQ(read_file(KEY_PATH), key_for(read_file(SCORES_PATH)));

    LogMark again;
    EXPECT_EQ(loaded(), c.new_table_expected ? new_table : old_table);
    EXPECT_EQ(again.since(), LOADING);
}

INSTANTIATE_TEST_SUITE_P(ScoreFile, KilledSave,
                         ::testing::Values(kill_case{SAVE_SCORES_TEMP_WRITTEN, false, LOADING},
                                           kill_case{SAVE_KEY_TEMP_WRITTEN, false, LOADING},
                                           kill_case{SAVE_SCORES_RENAMED, true, RESUMED + LOADING},
                                           kill_case{SAVE_KEY_RENAMED, true, LOADING}),
                         [](const ::testing::TestParamInfo<kill_case>& info) {
                             return "step_" + std::to_string(info.param.step);
                         });

// What a kill in the middle of writing a new file leaves: the old pair with a partial new
// score file or key beside it.
TEST_F(ScoreFile, PartialNewFilesBesideTheOldPairAreIgnoredAndRemoved)
{
    const table old_table = table::of({{"OLD", 777}});
    const std::string new_file = "NEW 999OLD 777AAA 90";
    const std::string leftovers[][2] = {
        {new_file.substr(0, 9), ""},
        {new_file, key_for(new_file).substr(0, 4)},
        {new_file, key_for(new_file)},
    };
    for (const auto& left : leftovers) {
        ASSERT_TRUE(save(old_table));
        write_file(SCORES_NEW_PATH, left[0]);
        write_file(KEY_NEW_PATH, left[1]);
        LogMark mark;
        EXPECT_EQ(loaded(), old_table);
        EXPECT_EQ(mark.since(), LOADING);
        EXPECT_FALSE(file_exists(SCORES_NEW_PATH));
        EXPECT_FALSE(file_exists(KEY_NEW_PATH));
    }
}

// A pending key only ever vouches for the score file it was computed from.
TEST_F(ScoreFile, PendingKeyThatDoesNotMatchTheScoreFileDoesNotSaveIt)
{
    ASSERT_TRUE(save(zed_table()));
    write_file(SCORES_PATH, ZEE_FILE);
    write_file(KEY_NEW_PATH, key_for(ZED_FILE));
    LogMark mark;
    EXPECT_EQ(loaded(), table());
    EXPECT_EQ(mark.since(), CORRUPT + CREATED);
    EXPECT_FALSE(file_exists(KEY_NEW_PATH));
}

// Saves whose writing fails: the new file cannot be created or the disk is full.
enum class obstacle
{
    full_disk,
    directory
};

struct failed_save_case
{
    const char* name;
    const char* blocked_path;
    obstacle what;
};

void PrintTo(const failed_save_case& c, std::ostream* out)
{
    *out << c.name;
}

class FailedSave : public ScoreFile, public ::testing::WithParamInterface<failed_save_case>
{
};

TEST_P(FailedSave, KeepsThePreviousPairAndLogs)
{
    const failed_save_case& c = GetParam();
    const table old_table = table::of({{"OLD", 777}});
    ASSERT_TRUE(save(old_table));
    const std::string old_scores = read_file(SCORES_PATH);
    const std::string old_key = read_file(KEY_PATH);
    fs_faults faults;
    if (c.what == obstacle::full_disk)
        faults.full_disk_path = c.blocked_path;
    else
        ASSERT_TRUE(std::filesystem::create_directory(c.blocked_path));

    LogMark mark;
    {
        fs_fault_scope scope(faults);
        EXPECT_FALSE(save(zed_table()));
    }
    EXPECT_EQ(mark.since(), SAVING + SAVE_FAILED);
    EXPECT_EQ(read_file(SCORES_PATH), old_scores);
    EXPECT_EQ(read_file(KEY_PATH), old_key);
    std::error_code ignored;
    std::filesystem::remove(c.blocked_path, ignored);
    EXPECT_EQ(loaded(), old_table);
}

INSTANTIATE_TEST_SUITE_P(
    ScoreFile, FailedSave,
    ::testing::Values(failed_save_case{"score_file_disk_full", SCORES_NEW_PATH,
                                       obstacle::full_disk},
                      failed_save_case{"key_disk_full", KEY_NEW_PATH, obstacle::full_disk},
                      failed_save_case{"score_file_blocked", SCORES_NEW_PATH, obstacle::directory},
                      failed_save_case{"key_blocked", KEY_NEW_PATH, obstacle::directory}),
    [](const ::testing::TestParamInfo<failed_save_case>& info) {
        return std::string(info.param.name);
    });

TEST_F(ScoreFile, FailedCreationOfTheDefaultFileIsLogged)
{
    ASSERT_TRUE(std::filesystem::create_directory(SCORES_NEW_PATH));
    const std::string inside = std::string(SCORES_NEW_PATH) + "/keep";
    write_file(inside, "x");
    LogMark mark;
    EXPECT_EQ(loaded(), table());
    EXPECT_EQ(mark.since(), CREATED + "Echec de l'\xe9"
                                      "criture du fichier de hi_scores\n");
    EXPECT_FALSE(file_exists(SCORES_PATH));
    std::remove(inside.c_str());
    std::error_code ignored;
    std::filesystem::remove(SCORES_NEW_PATH, ignored);
}

} // namespace

namespace {

// Any bytes with a matching key load without harm: the file is read, not rewritten, and every
// entry is either its default or a name without whitespace read from the file.
TEST_F(ScoreFile, AnyBytesWithAMatchingKeyLoadSoftly)
{
    const std::string pieces[] = {"A",           "ZED",    "_",
                                  " ",           "\t",     "\r\n",
                                  "\n",          "-",      "+",
                                  "0",           "7",      "2147483647",
                                  "99999999999", "\xe9",   std::string(1, '\0'),
                                  "\xff",        "AAA 10", "x"};
    std::mt19937 gen(20261210);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        const int count = static_cast<int>(gen() % 40);
        for (int i = 0; i < count; ++i)
            bytes += pieces[gen() % (sizeof pieces / sizeof pieces[0])];
        write_file(SCORES_PATH, bytes);
        write_file(KEY_PATH, key_for(bytes));
        LogMark mark;
        const table t = loaded();
        ASSERT_EQ(mark.since(), LOADING) << round;
        ASSERT_EQ(read_file(SCORES_PATH), bytes) << round;
        const table defaults;
        for (int i = 0; i < SCORE_ENTRIES; ++i) {
            if (t.names[i] == defaults.names[i])
                continue;
            ASSERT_FALSE(t.names[i].empty()) << round;
            ASSERT_EQ(t.names[i].find_first_of("\t\n\v\f\r"), std::string::npos) << round;
        }
    }
}

} // namespace

namespace {

const std::string IN_PLACE = "Cr\xe9"
                             "ation refus\xe9"
                             "e dans le dossier des hi_scores, \xe9"
                             "criture sur place\n";
const std::string READ_ONLY = "Fichiers de hi_scores en lecture seule, laiss\xe9s tels quels\n";

// In the child: the letters saved as the user nobody.
int save_as_nobody(const std::string&)
{
    unsigned uid = 0, gid = 0;
    if (!test_system::user_ids("nobody", uid, gid) || !test_system::become_user(uid, gid))
        return 2;
    return save(LETTERS) ? 0 : 1;
}
const test_system::role SAVE_AS_NOBODY("save_as_nobody", save_as_nobody);

// A shared install: data/ belongs to root and lets nobody else create files, the pair is
// group-writable. The save writes both files in place, keeps their owner and mode, and the
// letter-only table keeps its exact bytes. POSIX modes and owners: not on Windows, where the
// case below reaches the same writes through the seam.
TEST_F(ScoreFile, DirectoryThatRefusesNewFilesIsWrittenInPlace)
{
    ASSERT_TRUE(save(zed_table()));
    ASSERT_TRUE(test_system::set_mode(SCORES_PATH, 0664));
    ASSERT_TRUE(test_system::set_mode(KEY_PATH, 0664));
    LogMark mark;
    unsigned nobody_uid = 0, nobody_gid = 0;
    if (test_system::is_superuser() && test_system::user_ids("nobody", nobody_uid, nobody_gid)) {
        // data/ stays root's; the pair is given to nobody's group, and a child runs as nobody.
        ASSERT_TRUE(test_system::set_mode(test_work_dir(), 0755));
        ASSERT_TRUE(test_system::set_mode("./data", 0755));
        ASSERT_TRUE(test_system::set_owner(SCORES_PATH, 0, nobody_gid));
        ASSERT_TRUE(test_system::set_owner(KEY_PATH, 0, nobody_gid));
        test_system::child child = test_system::start_role("save_as_nobody");
        ASSERT_TRUE(child.running);
        EXPECT_EQ(test_system::wait_child(child), 0);
    } else {
        ASSERT_TRUE(test_system::set_mode("./data", 0555));
        EXPECT_TRUE(save(LETTERS));
        ASSERT_TRUE(test_system::set_mode("./data", 0755));
    }
    EXPECT_EQ(mark.since(), SAVING + IN_PLACE);
    EXPECT_EQ(read_file(SCORES_PATH), LETTERS_FILE);
    EXPECT_EQ(read_file(KEY_PATH), key_for(LETTERS_FILE));
    EXPECT_EQ(test_system::mode_of(SCORES_PATH), 0664u);
    EXPECT_FALSE(file_exists(SCORES_NEW_PATH));
    EXPECT_EQ(loaded(), LETTERS);
}

// A folder that refuses new files, reached through the seam, with a corrupt file to replace on
// loading: both files are written in place.
TEST_F(ScoreFile, FolderThatRefusesNewFilesThroughTheSeamIsWrittenInPlace)
{
    ASSERT_TRUE(save(zed_table()));
    write_file(SCORES_PATH, "garbage");
    fs_faults refusing;
    refusing.refuse_new_files = true;
    LogMark load_mark;
    {
        fs_fault_scope scope(refusing);
        EXPECT_EQ(loaded(), table());
        EXPECT_TRUE(save(LETTERS));
    }
    EXPECT_EQ(load_mark.since(), CORRUPT + CREATED + IN_PLACE + IN_PLACE + SAVING + IN_PLACE);
    EXPECT_EQ(read_file(SCORES_PATH), LETTERS_FILE);
    EXPECT_EQ(loaded(), LETTERS);
}

// Links to the score file or the key stay links; the files they lead to get the new bytes.
struct link_case
{
    const char* name;
    const char* scores_link; // target of data/scores.txt, or null for a plain file
    const char* key_link;
    bool target_exists;
};

void PrintTo(const link_case& c, std::ostream* out)
{
    *out << c.name;
}

class LinkedFiles : public ScoreFile, public ::testing::WithParamInterface<link_case>
{
protected:
    void TearDown() override
    {
        ScoreFile::TearDown();
        for (const char* f : {"a.txt", "a.cle", "b.txt", "hop.txt"})
            std::remove(("./data/shared/" + std::string(f)).c_str());
        std::error_code ignored;
        std::filesystem::remove("./data/shared", ignored);
    }
};

std::string absolute(const std::string& relative_to_data)
{
    return test_work_dir() + "/data/" + relative_to_data;
}

TEST_P(LinkedFiles, SaveAndLoadKeepTheLinks)
{
    const link_case& c = GetParam();
    ASSERT_TRUE(std::filesystem::create_directory("./data/shared"));
    std::string scores_target = SCORES_PATH, key_target = KEY_PATH;
    if (c.scores_link != nullptr) {
        ASSERT_TRUE(test_system::make_link(c.scores_link, SCORES_PATH));
        scores_target = "./data/shared/a.txt";
        if (std::string(c.scores_link) == "shared/hop.txt") {
            ASSERT_TRUE(test_system::make_link("a.txt", "./data/shared/hop.txt"));
        }
    }
    if (c.key_link != nullptr) {
        ASSERT_TRUE(test_system::make_link(c.key_link, KEY_PATH));
        key_target = "./data/shared/a.cle";
    }
    if (c.target_exists) {
        ASSERT_TRUE(save(zed_table()));
    }

    EXPECT_TRUE(save(LETTERS));
    EXPECT_EQ(test_system::is_link(SCORES_PATH), c.scores_link != nullptr);
    EXPECT_EQ(test_system::is_link(KEY_PATH), c.key_link != nullptr);
    EXPECT_EQ(read_file(scores_target), LETTERS_FILE);
    EXPECT_EQ(read_file(key_target), key_for(LETTERS_FILE));
    EXPECT_FALSE(file_exists(scores_target + ".new"));
    LogMark mark;
    EXPECT_EQ(loaded(), LETTERS);
    EXPECT_EQ(mark.since(), LOADING);

    // A damaged file behind the link is replaced by the default file, behind the link.
    write_file(scores_target, "damaged");
    LogMark again;
    EXPECT_EQ(loaded(), table());
    EXPECT_EQ(again.since(), CORRUPT + CREATED);
    EXPECT_EQ(test_system::is_link(SCORES_PATH), c.scores_link != nullptr);
    EXPECT_EQ(test_system::is_link(KEY_PATH), c.key_link != nullptr);
    EXPECT_EQ(read_file(scores_target), DEFAULT_FILE);
    EXPECT_EQ(read_file(key_target), key_for(DEFAULT_FILE));
}

const std::string ABSOLUTE_SCORES = absolute("shared/a.txt");

INSTANTIATE_TEST_SUITE_P(
    ScoreFile, LinkedFiles,
    ::testing::Values(link_case{"relative_links", "shared/a.txt", "shared/a.cle", true},
                      link_case{"absolute_link", ABSOLUTE_SCORES.c_str(), nullptr, true},
                      link_case{"dangling_links", "shared/a.txt", "shared/a.cle", false},
                      link_case{"chain_of_two_links", "shared/hop.txt", nullptr, true},
                      link_case{"key_link_only", nullptr, "shared/a.cle", true}),
    [](const ::testing::TestParamInfo<link_case>& info) { return std::string(info.param.name); });

// A file made read-only is left as it is, even by the superuser, and so is its partner.
TEST_F(ScoreFile, ReadOnlyFilesAreLeftAsTheyAre)
{
    for (const char* locked : {SCORES_PATH, KEY_PATH}) {
        SetUp();
        ASSERT_TRUE(save(zed_table()));
        ASSERT_TRUE(test_system::set_read_only(locked, true));
        LogMark mark;
        EXPECT_FALSE(save(LETTERS)) << locked;
        EXPECT_EQ(mark.since(), SAVING + READ_ONLY) << locked;
        EXPECT_EQ(read_file(SCORES_PATH), ZED_FILE) << locked;
        EXPECT_EQ(read_file(KEY_PATH), key_for(ZED_FILE)) << locked;
        EXPECT_TRUE(test_system::is_read_only(locked)) << locked;
        EXPECT_EQ(loaded(), zed_table()) << locked;

        // Damaged while read-only: loaded as defaults, but neither deleted nor rewritten.
        test_system::set_read_only(locked, false);
        write_file(SCORES_PATH, "damaged");
        test_system::set_read_only(locked, true);
        LogMark load_mark;
        EXPECT_EQ(loaded(), table()) << locked;
        EXPECT_EQ(load_mark.since(), CORRUPT + READ_ONLY) << locked;
        EXPECT_EQ(read_file(SCORES_PATH), "damaged") << locked;
        test_system::set_read_only(locked, false);
    }
}

// A link planted under a temporary file's name is removed, never followed.
TEST_F(ScoreFile, LinksPlantedAtTheTemporaryNamesAreNotFollowed)
{
    write_file("victim.txt", "precious");
    for (const char* planted : {SCORES_NEW_PATH, KEY_NEW_PATH}) {
        for (bool on_load : {false, true}) {
            SetUp();
            if (!on_load) {
                ASSERT_TRUE(save(zed_table()));
            }
            ASSERT_TRUE(test_system::make_link(test_work_dir() + "/victim.txt", planted));
            if (on_load) {
                // Both files missing: the leftover link is removed, the default file written.
                EXPECT_EQ(loaded(), table());
                EXPECT_EQ(read_file(SCORES_PATH), DEFAULT_FILE);
            } else {
                EXPECT_TRUE(save(LETTERS)) << planted;
                EXPECT_EQ(read_file(SCORES_PATH), LETTERS_FILE) << planted;
            }
            EXPECT_EQ(read_file("victim.txt"), "precious") << planted;
            EXPECT_FALSE(test_system::is_link(SCORES_PATH));
            EXPECT_FALSE(file_exists(planted)) << planted;
        }
    }
    // The key writer alone meets the planted link too.
    SetUp();
    ASSERT_TRUE(test_system::make_link(test_work_dir() + "/victim.txt", SCORES_NEW_PATH));
    EXPECT_TRUE(write_check_key());
    EXPECT_TRUE(save(LETTERS));
    EXPECT_EQ(read_file("victim.txt"), "precious");
    std::remove("victim.txt");
}

} // namespace
