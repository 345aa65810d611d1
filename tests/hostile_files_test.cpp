// Hostile files under data/: every asset missing in turn, and score, key and board files that
// are empty, garbage, cut short, huge, full of NUL bytes or Latin-1 text. Each gives its log
// line and its fallback, never a crash or a hang.
#include "game/fichiers_plateau.h"
#include "integrity/crc32.h"
#include "scores/score_file.h"
#include "support/process.h"
#include "support/test_env.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <zlib.h>

namespace {

const std::string started = "D\xe9marrage du programme\n";

// The assets in the order of the start-up check.
const char* const ASSETS[20] = {
    "data/SF Old Republic Bold Italic.ttf",
    "data/mouse.png",
    "data/intro_bg.png",
    "data/grille.png",
    "data/menu_jouer.png",
    "data/menu_scores.png",
    "data/menu_quitter.png",
    "data/menu_aide.png",
    "data/click.wav",
    "data/game_over.png",
    "data/pions.png",
    "data/mouvement.wav",
    "data/ligne.wav",
    "data/game_over.wav",
    "data/hi_scores_bg.png",
    "data/nom.png",
    "data/hi_score.wav",
    "data/lignes.txt",
    "data/grille_mailles.txt",
    "data/aide_bg.png",
};

TEST(HostileFiles, EveryAssetMissingInTurnEndsWithStatusOneAndItsNumber)
{
    for (int n = 1; n <= 20; ++n) {
        const std::string asset = ASSETS[n - 1];
        const process_result r = run_game(
            [&asset](const std::string& dir) {
                ASSERT_EQ(std::remove((dir + "/" + asset).c_str()), 0) << asset;
            },
            {}, "");
        EXPECT_FALSE(r.timed_out) << asset;
        EXPECT_EQ(r.status, 1) << asset;
        EXPECT_EQ(r.log, started + "Un fichier corrompu: " + std::to_string(n) + "\n") << asset;
    }
}

const std::string HUGE_FILE = "<100 MB of NUL bytes>";

// Writes the case's bytes; the huge file is made sparse, so that it costs no disk.
void put(const std::string& path, const std::string& bytes)
{
    if (bytes == HUGE_FILE) {
        write_file(path, std::string());
        std::error_code error;
        std::filesystem::resize_file(path, 100 * 1024 * 1024, error);
        ASSERT_FALSE(error) << error.message();
    } else {
        write_file(path, bytes);
    }
}

std::string garbage(size_t size)
{
    std::mt19937 gen(size);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(gen());
    return bytes;
}

struct bad_contents
{
    const char* name;
    std::string bytes;
};

std::vector<bad_contents> contents_for(const std::string& shipped)
{
    const size_t middle = shipped.size() / 2;
    return {
        {"empty", ""},
        {"garbage", garbage(3000)},
        {"cut_short", shipped.substr(0, shipped.size() / 2)},
        {"huge", HUGE_FILE},
        {"nul_bytes", std::string(4000, '\0')},
        {"nul_inside", shipped.substr(0, middle) + std::string(3, '\0') + shipped.substr(middle)},
        {"latin1", "\xe9t\xe9 \xe0 l'h\xf4pital " + shipped.substr(0, 40)},
    };
}

const std::string DEFAULT_FILE =
    "AAA 100 AAA 90 AAA 80 AAA 70 AAA 60 AAA 50 AAA 40 AAA 30 AAA 20 AAA 10 ";
const std::string CORRUPT_THEN_CREATED = "Fichier hi_scores corrompu.\nCr\xe9"
                                         "ation d'un nouveau fichier de hi_scores\n";

bool is_default(const std::string (&names)[SCORE_ENTRIES], const int (&scores)[SCORE_ENTRIES])
{
    std::string n[SCORE_ENTRIES];
    int s[SCORE_ENTRIES];
    default_scores(n, s);
    for (int i = 0; i < SCORE_ENTRIES; ++i)
        if (names[i] != n[i] || scores[i] != s[i])
            return false;
    return true;
}

// A hostile score file or key beside a good partner: the pair disagrees, so the table is the
// default one and both files are rewritten.
TEST(HostileFiles, ScoreFileOrKeyGivesTheDefaultPair)
{
    std::string names[SCORE_ENTRIES];
    int scores[SCORE_ENTRIES];
    default_scores(names, scores);
    load_scores(names, scores); // the default pair
    const std::string good_key = read_file(KEY_PATH);
    int cases = 0;
    for (const char* hostile : {SCORES_PATH, KEY_PATH}) {
        for (const bad_contents& c : contents_for(read_file(hostile))) {
            if (c.bytes.empty() && std::string(hostile) == SCORES_PATH)
                continue; // an empty score file with the default key: below
            write_file(SCORES_PATH, DEFAULT_FILE);
            write_file(KEY_PATH, good_key);
            put(hostile, c.bytes);
            LogMark mark;
            default_scores(names, scores);
            load_scores(names, scores);
            EXPECT_EQ(mark.since(), CORRUPT_THEN_CREATED) << hostile << " " << c.name;
            EXPECT_TRUE(is_default(names, scores)) << hostile << " " << c.name;
            EXPECT_EQ(read_file(SCORES_PATH), DEFAULT_FILE) << hostile << " " << c.name;
            EXPECT_EQ(read_file(KEY_PATH), good_key) << hostile << " " << c.name;
            ++cases;
        }
    }
    write_file(SCORES_PATH, "");
    LogMark mark;
    load_scores(names, scores);
    EXPECT_EQ(mark.since(), CORRUPT_THEN_CREATED);
    std::printf("%d hostile score or key files\n", cases + 1);
}

// Writes a key that vouches for the score file as it lies on disk; the file's length.
uint32_t vouch_for_score_file()
{
    uint32_t length = 0;
    const uint32_t crc = file_crc32(SCORES_PATH, &length);
    write_file(KEY_PATH, std::to_string(crc) + " " + std::to_string(length));
    return length;
}

// Hostile bytes that do match their key (a key recomputed by hand) are read by the reading
// rule and never rewritten; a huge name token is cut, not held whole.
TEST(HostileFiles, ScoreFileWithAMatchingKeyIsReadSoftly)
{
    for (const bad_contents& c : contents_for(DEFAULT_FILE)) {
        put(SCORES_PATH, c.bytes);
        const uint32_t length = vouch_for_score_file();
        std::string names[SCORE_ENTRIES];
        int scores[SCORE_ENTRIES];
        default_scores(names, scores);
        LogMark mark;
        load_scores(names, scores);
        EXPECT_EQ(mark.since(), "Chargement des hi_scores.\n") << c.name;
        for (const std::string& name : names)
            EXPECT_LE(name.size(), 256u) << c.name;
        uint32_t after = 0;
        file_crc32(SCORES_PATH, &after);
        EXPECT_EQ(after, length) << c.name;
    }
    std::remove(SCORES_PATH);
    std::remove(KEY_PATH);
}

// A score file far larger than any table (200 MB, sparse) is taken as damaged even with a key
// that matches it: it is replaced by the default pair rather than read whole into memory.
TEST(HostileFiles, ScoreFileLargerThanAnyTableIsReplaced)
{
    write_file(SCORES_PATH, std::string());
    std::error_code error;
    std::filesystem::resize_file(SCORES_PATH, 200 * 1024 * 1024, error);
    ASSERT_FALSE(error) << error.message();
    vouch_for_score_file();
    std::string names[SCORE_ENTRIES];
    int scores[SCORE_ENTRIES];
    default_scores(names, scores);
    LogMark mark;
    load_scores(names, scores);
    EXPECT_EQ(mark.since(), CORRUPT_THEN_CREATED);
    EXPECT_TRUE(is_default(names, scores));
    EXPECT_EQ(read_file(SCORES_PATH), DEFAULT_FILE);
    std::remove(SCORES_PATH);
    std::remove(KEY_PATH);
}

// Board files: the readers log what they could not use, and every number kept is a cell.
TEST(HostileFiles, BoardFilesAreReadAsFarAsTheyMakeSense)
{
    const std::string cells = read_file("./data/grille_mailles.txt");
    for (const bad_contents& c : contents_for(cells)) {
        put("hostile_mailles.txt", c.bytes);
        pion mailles[NB_MAILLES];
        LogMark mark;
        ASSERT_TRUE(lire_fichier_mailles("hostile_mailles.txt", mailles)) << c.name;
        EXPECT_NE(mark.since().find("grille_mailles.txt"), std::string::npos) << c.name;
        for (const pion& m : mailles)
            for (int v : m.voisins)
                EXPECT_TRUE(v == -1 || (v >= 0 && v < NB_MAILLES)) << c.name;
    }
    const std::string lines = read_file("./data/lignes.txt");
    for (const bad_contents& c : contents_for(lines)) {
        put("hostile_lignes.txt", c.bytes);
        int lignes[NB_LIGNES][5];
        bool valides[NB_LIGNES];
        LogMark mark;
        ASSERT_TRUE(lire_fichier_lignes("hostile_lignes.txt", lignes, valides)) << c.name;
        EXPECT_NE(mark.since().find("lignes.txt"), std::string::npos) << c.name;
        for (int j = 0; j < NB_LIGNES; ++j)
            for (int cell : lignes[j])
                EXPECT_TRUE(valides[j] ? cell >= 0 && cell < NB_MAILLES : cell == -1) << c.name;
    }
    std::remove("hostile_mailles.txt");
    std::remove("hostile_lignes.txt");
}

} // namespace
