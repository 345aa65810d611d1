// The high-score screen through the real frame loop: who gets a name entry, where the result
// goes, the arrow buttons, the keys, the blinking row, the sound and the row texts.
#include "app/states.h"
#include "game/score.h"
#include "scores/hi_scores.h"
#include "scores/score_file.h"
#include "support/test_env.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

namespace {

const uint32_t BACKGROUND = 0x000040;
const uint32_t PANEL = 0x808080;
const char* const SOUND = "data/hi_score.wav";

const std::string CREATED = "Cr\xe9"
                            "ation d'un nouveau fichier de hi_scores\n";
const std::string LOADING = "Chargement des hi_scores.\n";
const std::string MEDIA_ERROR = "HI_SCORE: ERREUR LORS DU CHARGEMENT DES FICHIERS\n";
const std::string DEFAULT_FILE =
    "AAA 100 AAA 90 AAA 80 AAA 70 AAA 60 AAA 50 AAA 40 AAA 30 AAA 20 AAA 10 ";

// Centres of the panel's buttons: three arrows back, three arrows forward, OK.
const int BUTTON_X[7] = {323, 394, 469, 323, 394, 469, 395};
const int BUTTON_Y[7] = {274, 274, 274, 380, 380, 380, 452};
const int OK = 6;

uint32_t fill_background(int, int)
{
    return BACKGROUND;
}

uint32_t fill_panel(int, int)
{
    return PANEL;
}

void put_le(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Half a second of a square wave, 16-bit mono at 22050 Hz.
void write_wav(const std::string& path)
{
    std::string samples;
    for (int i = 0; i < 11025; ++i)
        put_le(samples, (i / 25) % 2 ? 8000u : static_cast<uint16_t>(-8000), 2);
    std::string wav = "RIFF";
    put_le(wav, 36 + samples.size(), 4);
    wav += "WAVEfmt ";
    put_le(wav, 16, 4);
    put_le(wav, 1, 2);
    put_le(wav, 1, 2);
    put_le(wav, 22050, 4);
    put_le(wav, 44100, 4);
    put_le(wav, 2, 2);
    put_le(wav, 16, 2);
    wav += "data";
    put_le(wav, samples.size(), 4);
    write_file(path, wav + samples);
}

// "NAME points" pairs for a table given as names and scores.
std::string file_of(const std::vector<std::pair<std::string, int>>& entries)
{
    std::string text;
    for (const auto& entry : entries)
        text += entry.first + " " + std::to_string(entry.second);
    return text;
}

// A table of ten distinct names, ONE 100 down to TEN 10, saved as the screen will find it.
const std::vector<std::pair<std::string, int>> NAMED = {
    {"ONE", 100}, {"TWO", 90}, {"THR", 80}, {"FOU", 70}, {"FIV", 60},
    {"SIX", 50},  {"SEV", 40}, {"EIG", 30}, {"NIN", 20}, {"TEN", 10}};

void save_table(const std::vector<std::pair<std::string, int>>& entries)
{
    std::string names[SCORE_ENTRIES];
    int scores[SCORE_ENTRIES];
    default_scores(names, scores);
    for (size_t i = 0; i < entries.size(); ++i) {
        names[i] = entries[i].first;
        scores[i] = entries[i].second;
    }
    ASSERT_TRUE(save_scores(names, scores));
}

class HiScores : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* path : {SCORES_PATH, KEY_PATH})
            std::remove(path);
        ASSERT_EQ(app.start(), 0);
        // The screen's pictures and sound, replaced by plain ones whose pixels the checks know.
        // Written after the start-up, whose asset check looks at the shipped files.
        write_bmp("data/hi_scores_bg.png", 800, 600, fill_background);
        write_bmp("data/nom.png", 300, 400, fill_panel);
        write_wav(SOUND);
        away();
        score = 0;
    }

    void TearDown() override { app.stop(); }

    hi_scores* shown() const { return dynamic_cast<hi_scores*>(currentState); }

    void visit(int points)
    {
        score = points;
        app.go_to(STATE_HI_SCORES);
        ASSERT_NE(shown(), nullptr);
    }

    // The pointer where it covers neither a button nor a row.
    void away()
    {
        app.move(700, 580);
        app.frame();
    }

    void press(int button)
    {
        app.move(BUTTON_X[button], BUTTON_Y[button]);
        app.click();
        app.frame();
    }

    bool panel_drawn() const { return app.pixel(260, 130) == PANEL; }

    // Whether anything but the background shows where row `row` of the table is drawn.
    bool row_drawn(int row) const
    {
        const int top = 170 + 30 * row;
        for (int y = top + 4; y < top + 26; ++y)
            for (int x = 355; x < 700; ++x)
                if (app.pixel(x, y) != BACKGROUND)
                    return true;
        return false;
    }

    // For each of the next n frames, the rows that were not drawn.
    std::vector<std::vector<int>> missing_rows(int n)
    {
        std::vector<std::vector<int>> frames;
        for (int f = 0; f < n; ++f) {
            app.frame();
            std::vector<int> missing;
            for (int row = 0; row < SCORE_ENTRIES; ++row)
                if (!row_drawn(row))
                    missing.push_back(row);
            frames.push_back(missing);
        }
        return frames;
    }

    app_harness app;
};

// The default table, and a table of ten names to see where a result settles.
struct insertion_case
{
    const char* name;
    bool named_table;
    int points;
    int new_rank; // -1: no name entry
    std::string file_after;
};

void PrintTo(const insertion_case& c, std::ostream* out)
{
    *out << c.name;
}

class Insertion : public HiScores, public ::testing::WithParamInterface<insertion_case>
{
};

TEST_P(Insertion, PlacesTheResultBelowEveryEqualOrBetterEntry)
{
    const insertion_case& c = GetParam();
    if (c.named_table)
        save_table(NAMED);
    const std::string file_before = read_file(SCORES_PATH);
    visit(c.points);
    EXPECT_EQ(shown()->entering_name(), c.new_rank >= 0);
    EXPECT_EQ(panel_drawn(), c.new_rank >= 0);
    if (c.new_rank >= 0) {
        press(OK);
        EXPECT_FALSE(shown()->entering_name());
        EXPECT_EQ(shown()->blinking_row(), c.new_rank);
        EXPECT_EQ(score, 0);
    } else {
        EXPECT_EQ(shown()->blinking_row(), -1);
        EXPECT_EQ(score, c.points);
    }
    EXPECT_EQ(read_file(SCORES_PATH), c.file_after.empty() ? file_before : c.file_after);
}

// The default table after an 11-point game: the new entry is tenth, AAA 10 is gone.
const std::string ELEVEN_IS_TENTH_FILE = file_of({{"AAA", 100},
                                                  {"AAA", 90},
                                                  {"AAA", 80},
                                                  {"AAA", 70},
                                                  {"AAA", 60},
                                                  {"AAA", 50},
                                                  {"AAA", 40},
                                                  {"AAA", 30},
                                                  {"AAA", 20},
                                                  {"AAA", 11}});

INSTANTIATE_TEST_SUITE_P(
    HiScores, Insertion,
    ::testing::Values(insertion_case{"ten_is_not_enough", false, 10, -1, DEFAULT_FILE},
                      insertion_case{"eleven_is_tenth", false, 11, 9, ELEVEN_IS_TENTH_FILE},
                      insertion_case{"tie_goes_below", true, 50, 6,
                                     file_of({{"ONE", 100},
                                              {"TWO", 90},
                                              {"THR", 80},
                                              {"FOU", 70},
                                              {"FIV", 60},
                                              {"SIX", 50},
                                              {"AAA", 50},
                                              {"SEV", 40},
                                              {"EIG", 30},
                                              {"NIN", 20}})},
                      insertion_case{"tie_with_the_tenth_is_not_enough", true, 10, -1, ""},
                      insertion_case{"new_best", true, 101, 0,
                                     file_of({{"AAA", 101},
                                              {"ONE", 100},
                                              {"TWO", 90},
                                              {"THR", 80},
                                              {"FOU", 70},
                                              {"FIV", 60},
                                              {"SIX", 50},
                                              {"SEV", 40},
                                              {"EIG", 30},
                                              {"NIN", 20}})}),
    [](const ::testing::TestParamInfo<insertion_case>& info) {
        return std::string(info.param.name);
    });

// Arrow clicks and the name they leave, read from the row of this visit's table.
struct name_case
{
    const char* name;
    std::vector<int> buttons;
    std::string entered;
};

void PrintTo(const name_case& c, std::ostream* out)
{
    *out << c.name;
}

class NameEntry : public HiScores, public ::testing::WithParamInterface<name_case>
{
};

TEST_P(NameEntry, ArrowsStepThroughTheAlphabetWithWrapAround)
{
    const name_case& c = GetParam();
    visit(500);
    for (int button : c.buttons)
        press(button);
    EXPECT_TRUE(shown()->entering_name());
    press(OK);
    ASSERT_EQ(shown()->blinking_row(), 0);
    EXPECT_EQ(std::string(shown()->line_text(0)), c.entered + "    500");

    std::string names[SCORE_ENTRIES];
    int scores[SCORE_ENTRIES];
    default_scores(names, scores);
    load_scores(names, scores);
    EXPECT_EQ(names[0], c.entered);
    EXPECT_EQ(scores[0], 500);
}

INSTANTIATE_TEST_SUITE_P(
    HiScores, NameEntry,
    ::testing::Values(name_case{"untouched", {}, "AAA"},
                      name_case{"back_from_a_gives_space", {0}, " AA"},
                      name_case{"back_twice_gives_z", {0, 0}, "ZAA"},
                      name_case{"z_forward_gives_space", {0, 0, 3}, " AA"},
                      name_case{"z_forward_twice_gives_a", {0, 0, 3, 3}, "AAA"},
                      name_case{"each_position_its_own", {3, 4, 4, 2, 2, 2}, "BCY"},
                      name_case{"space_b_space", {0, 4, 2}, " B "},
                      name_case{"forward_all_the_way_round", std::vector<int>(27, 5), "AAA"}),
    [](const ::testing::TestParamInfo<name_case>& info) { return std::string(info.param.name); });

TEST_F(HiScores, KeyActsAsAClickAtThePointer)
{
    visit(11);
    // Nowhere near a button: neither Return nor a letter does anything.
    app.move(520, 200);
    app.key(SDLK_RETURN);
    app.key(SDLK_b);
    app.frame();
    EXPECT_TRUE(shown()->entering_name());
    EXPECT_EQ(read_file(SCORES_PATH), DEFAULT_FILE);
    // Over an arrow, a key steps the letter; over OK it confirms.
    app.move(BUTTON_X[3], BUTTON_Y[3]);
    app.key(SDLK_x);
    app.frame();
    app.move(BUTTON_X[OK], BUTTON_Y[OK]);
    app.key(SDLK_RETURN);
    app.frame();
    EXPECT_FALSE(shown()->entering_name());
    EXPECT_EQ(std::string(shown()->line_text(9)), "BAA    11");
    EXPECT_EQ(stateID, STATE_HI_SCORES);
}

TEST_F(HiScores, ClickBetweenButtonsDoesNothing)
{
    visit(11);
    app.move(358, 274); // between the first two back arrows
    app.click();
    app.move(395, 405); // just above OK
    app.click();
    app.frame();
    EXPECT_TRUE(shown()->entering_name());
    press(OK);
    EXPECT_EQ(std::string(shown()->line_text(9)), "AAA    11");
}

TEST_F(HiScores, EscapeDuringEntryExitsWithoutSaving)
{
    visit(11);
    const std::string file_before = read_file(SCORES_PATH);
    const std::string key_before = read_file(KEY_PATH);
    LogMark mark;
    press(3);
    app.key(SDLK_ESCAPE);
    app.frame();
    EXPECT_EQ(stateID, STATE_EXIT);
    EXPECT_EQ(read_file(SCORES_PATH), file_before);
    EXPECT_EQ(read_file(KEY_PATH), key_before);
    EXPECT_EQ(mark.since().find("Sauvegarde"), std::string::npos);
}

TEST_F(HiScores, TwoClicksInOneFrameFirstOnOk)
{
    visit(11);
    app.move(BUTTON_X[OK], BUTTON_Y[OK]);
    app.click();
    app.click();
    app.frame();
    EXPECT_EQ(stateID, STATE_MENU);
    EXPECT_EQ(read_file(SCORES_PATH), ELEVEN_IS_TENTH_FILE);
    EXPECT_EQ(score, 0);
}

TEST_F(HiScores, AnyKeyOrClickOnTheTableLeadsToTheMenu)
{
    visit(0);
    app.key(SDLK_SPACE);
    app.frame();
    EXPECT_EQ(stateID, STATE_MENU);
    visit(0);
    app.click(SDL_BUTTON_RIGHT);
    app.frame();
    EXPECT_EQ(stateID, STATE_MENU);
    visit(0);
    app.key(SDLK_ESCAPE);
    app.frame();
    EXPECT_EQ(stateID, STATE_EXIT);
}

// The new row is left out on every fifth frame; the others are always drawn.
TEST_F(HiScores, NewRowBlinks)
{
    save_table(NAMED);
    visit(75);
    press(OK);
    away();
    ASSERT_EQ(shown()->blinking_row(), 3);
    const auto frames = missing_rows(15);
    std::vector<int> blank_frames;
    for (size_t f = 0; f < frames.size(); ++f) {
        if (frames[f].empty())
            continue;
        EXPECT_EQ(frames[f], std::vector<int>{3}) << "frame " << f;
        blank_frames.push_back(static_cast<int>(f));
    }
    ASSERT_EQ(blank_frames.size(), 3u);
    EXPECT_EQ(blank_frames[1] - blank_frames[0], 5);
    EXPECT_EQ(blank_frames[2] - blank_frames[1], 5);
}

// The frame counter runs 0 ... 10000 and starts again: both ends are multiples of five, so
// once per 10001 frames the row stays away for two frames in a row.
TEST_F(HiScores, BlinkSkipsTwoFramesInARowAtTheCounterWrap)
{
    visit(11);
    press(OK);
    away();
    std::vector<int> blank_frames;
    for (int f = 0; f < 10010; ++f) {
        app.frame();
        if (!row_drawn(9))
            blank_frames.push_back(f);
    }
    int doubles = 0;
    for (size_t i = 1; i < blank_frames.size(); ++i) {
        const int gap = blank_frames[i] - blank_frames[i - 1];
        if (gap == 1)
            ++doubles;
        else
            EXPECT_EQ(gap, 5) << "at frame " << blank_frames[i];
    }
    EXPECT_EQ(doubles, 1);
}

TEST_F(HiScores, SoundPlaysOncePerVisitWithEntry)
{
    app.hold_audio();
    visit(0);
    app.frames(3);
    EXPECT_EQ(app.channels_playing(SOUND), 0);

    visit(11);
    EXPECT_EQ(app.channels_playing(SOUND), 1);
    app.frames(5);
    press(0);
    EXPECT_EQ(app.channels_playing(SOUND), 1);
    press(OK);
    app.frames(5);
    EXPECT_EQ(app.channels_playing(SOUND), 1);
    app.release_audio();

    // The table now ends with 11: a new visit with 12 offers an entry, and plays again.
    app.hold_audio();
    visit(12);
    ASSERT_TRUE(shown()->entering_name());
    EXPECT_EQ(app.channels_playing(SOUND), 1);
}

TEST_F(HiScores, NextVisitAfterAnEntryShowsThePlainTable)
{
    visit(11);
    press(OK);
    app.click();
    app.frame();
    ASSERT_EQ(stateID, STATE_MENU);
    app.go_to(STATE_HI_SCORES);
    away();
    EXPECT_FALSE(shown()->entering_name());
    EXPECT_EQ(shown()->blinking_row(), -1);
    EXPECT_FALSE(panel_drawn());
    for (const auto& missing : missing_rows(10))
        EXPECT_TRUE(missing.empty());
}

// After OK the rows that only moved down keep the pictures rendered when the screen was built;
// every row must look exactly as on a later visit that renders the whole saved table afresh.
TEST_F(HiScores, RowsAfterAnEntryLookAsOnAFreshVisit)
{
    const auto rows = [this] {
        std::vector<uint32_t> pixels;
        for (int y = 170; y < 170 + 30 * SCORE_ENTRIES; ++y)
            for (int x = 355; x < 700; ++x)
                pixels.push_back(app.pixel(x, y));
        return pixels;
    };
    save_table(NAMED);
    visit(75);
    press(OK);
    away();
    while (!row_drawn(3)) // the frame on which the new row blinks off
        app.frame();
    const std::vector<uint32_t> after_entry = rows();
    EXPECT_EQ(std::string(shown()->line_text(3)), "AAA    75");
    EXPECT_EQ(std::string(shown()->line_text(4)), "FOU    70");

    app.go_to(STATE_HI_SCORES);
    away();
    ASSERT_EQ(shown()->blinking_row(), -1);
    EXPECT_TRUE(rows() == after_entry);
}

TEST_F(HiScores, WideScoresShowInFull)
{
    save_table({{"BIGGEST", 2147483647}, {"MIL", 1234567}, {"NEG", -2147483647 - 1}});
    visit(0);
    EXPECT_EQ(std::string(shown()->line_text(0)), "BIGG    2147483647");
    EXPECT_EQ(std::string(shown()->line_text(1)), "MIL    1234567");
    EXPECT_EQ(std::string(shown()->line_text(2)), "NEG    -2147483648");
    EXPECT_EQ(std::string(shown()->line_text(3)), "AAA    70");
}

TEST_F(HiScores, VisitLogsOnlyTheScoreFileLines)
{
    LogMark mark;
    visit(0);
    EXPECT_EQ(mark.since(), CREATED);
    LogMark again;
    visit(0);
    EXPECT_EQ(again.since(), LOADING);
}

class MissingMedia : public HiScores, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(MissingMedia, IsLoggedOnceAndTheScreenStillWorks)
{
    std::remove(GetParam());
    LogMark mark;
    visit(11);
    EXPECT_EQ(mark.since(), MEDIA_ERROR + CREATED);
    EXPECT_TRUE(shown()->entering_name());
    press(4);
    press(OK);
    EXPECT_FALSE(shown()->entering_name());
    EXPECT_EQ(std::string(shown()->line_text(9)), "ABA    11");
}

INSTANTIATE_TEST_SUITE_P(HiScores, MissingMedia,
                         ::testing::Values("data/hi_scores_bg.png", "data/nom.png", SOUND));

TEST_F(HiScores, MissingPanelIsNotDrawn)
{
    std::remove("data/nom.png");
    visit(11);
    EXPECT_TRUE(shown()->entering_name());
    EXPECT_EQ(app.pixel(260, 130), BACKGROUND);
}

} // namespace
