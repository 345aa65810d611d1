// A finished game's result from the board to the saved table and back: game over with a
// qualifying score, name entry, OK, the files on disk, the blinking row, the menu, and the
// table again without panel or blinking row.
#include "app/states.h"
#include "game/jeu.h"
#include "game/score.h"
#include "integrity/crc32.h"
#include "scores/hi_scores.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

namespace {

hi_scores& table()
{
    return *static_cast<hi_scores*>(currentState);
}

TEST(GameFlow, AQualifyingGameIsEnteredSavedAndShown)
{
    app_harness app;
    ASSERT_EQ(app.start(), 0);
    app.move(790, 590);
    app.go_to(STATE_MENU);
    app.key(SDLK_RETURN);
    app.frame();
    ASSERT_EQ(stateID, STATE_JEU);

    // End the game on a full board with 55 points.
    plateau& rules = static_cast<jeu*>(currentState)->regles();
    for (int cell = 0; cell < 126; ++cell) {
        rules.mailles[cell].couleur = cell % 8;
        rules.mailles[cell].increment = 0;
    }
    score = 55;
    app.frames(31);
    app.click();
    app.frame();
    ASSERT_EQ(stateID, STATE_HI_SCORES);
    ASSERT_TRUE(table().entering_name());

    // First letter one step forward (B), third one step back (space), then OK.
    app.move(304 + 19, 366 + 14);
    app.click();
    app.move(450 + 19, 260 + 14);
    app.click();
    app.frame();
    app.move(395, 450);
    app.click();
    app.frame();
    EXPECT_FALSE(table().entering_name());
    EXPECT_EQ(table().blinking_row(), 5); // below AAA 60, above AAA 50
    EXPECT_EQ(std::string(table().line_text(5)), "BA     55");
    EXPECT_EQ(score, 0);

    // On disk: the name's space in its stored form, and a key that matches the file.
    const std::string saved = read_file("data/scores.txt");
    EXPECT_EQ(saved, "AAA 100AAA 90AAA 80AAA 70AAA 60BA_ 55AAA 50AAA 40AAA 30AAA 20");
    uint32_t size = 0;
    const uint32_t crc = file_crc32("data/scores.txt", &size);
    EXPECT_EQ(read_file("data/scores.cle"), std::to_string(crc) + " " + std::to_string(size));

    // The new row blinks: the screen differs between a frame that skips it and one that
    // draws it.
    int skipped_frames = 0;
    for (int i = 0; i < 10; ++i) {
        app.frame();
        const bool row_drawn = [&] {
            for (int x = 355; x < 420; ++x)
                for (int y = 320; y < 345; ++y)
                    if (app.pixel(x, y) == 0xFFFFFF)
                        return true;
            return false;
        }();
        skipped_frames += !row_drawn;
    }
    EXPECT_EQ(skipped_frames, 2);

    // Back to the menu, and to the scores again: the table as saved, nothing blinking.
    app.click();
    app.frame();
    ASSERT_EQ(stateID, STATE_MENU);
    app.key(SDLK_DOWN);
    app.key(SDLK_DOWN);
    app.key(SDLK_RETURN);
    app.frame();
    ASSERT_EQ(stateID, STATE_HI_SCORES);
    EXPECT_FALSE(table().entering_name());
    EXPECT_EQ(table().blinking_row(), -1);
    EXPECT_EQ(std::string(table().line_text(5)), "BA     55");
    app.stop();
}

} // namespace
