// The game screen through the real frame loop: what it draws, the sounds it plays, the deals
// of a game seeded with a fixed key, and the way out once the game is over.
#include "app/states.h"
#include "game/geometrie.h"
#include "game/jeu.h"
#include "game/score.h"
#include "media/media.h"
#include "mt_classique.h"
#include "support/test_env.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

const uint32_t KEY[4] = {0x123, 0x234, 0x345, 0x456};

// A draw from 0 to n as the game makes it: keep the low bits under n's mask, redraw above n.
uint32_t reference_draw(mt_classique& mt, uint32_t n)
{
    uint32_t mask = n;
    for (int shift = 1; shift < 32; shift <<= 1)
        mask |= mask >> shift;
    uint32_t v;
    do
        v = mt.genrand_int32() & mask;
    while (v > n);
    return v;
}

class GameScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(app.start(), 0);
        background = load_image("data/grille.png");
        sprites = load_image("data/pions.png");
        ASSERT_NE(background, nullptr);
        ASSERT_NE(sprites, nullptr);
        set_next_state(STATE_JEU);
        app.move(790, 590); // keep the cursor off the board
        app.frame();        // builds the game screen and draws it once
        ASSERT_EQ(stateID, STATE_JEU);
    }
    void TearDown() override
    {
        SDL_FreeSurface(background);
        SDL_FreeSurface(sprites);
        app.stop();
    }

    plateau& rules() { return static_cast<jeu*>(currentState)->regles(); }

    static void centre(int cell, int& x, int& y)
    {
        calcul_pion_pos(cell, x, y);
        x += 21;
        y += 21;
    }
    // Whether the screen shows a piece on the cell (anything but the board picture there).
    bool drawn(int cell)
    {
        int x, y;
        centre(cell, x, y);
        return app.pixel(x, y) != surface_pixel(background, x, y);
    }
    // The centre pixel of a colour's resting sprite.
    uint32_t sprite_centre(int colour) { return surface_pixel(sprites, 21, 42 * colour + 21); }

    void click_cell(int cell)
    {
        int x, y;
        centre(cell, x, y);
        app.move(x, y);
        app.click();
        app.frame();
        app.move(790, 590);
    }

    app_harness app;
    SDL_Surface* background = nullptr;
    SDL_Surface* sprites = nullptr;
};

TEST_F(GameScreen, FirstFrameShowsAnEmptyBoardAColourZeroPreviewAndScoreZero)
{
    EXPECT_EQ(score, 0);
    for (int cell = 0; cell < 126; ++cell)
        EXPECT_FALSE(drawn(cell)) << cell;
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(app.pixel(28 + 46 * k + 21, 380 + 21), sprite_centre(0)) << k;
    // The score text "0" sits at (99, 110) in the score well.
    bool text = false;
    for (int y = 110; y < 140; ++y)
        for (int x = 99; x < 120; ++x)
            text |= app.pixel(x, y) == 0xFFFFFF;
    EXPECT_TRUE(text);
}

// A whole opening played with a fixed key: every deal lands where the reference generator
// says, a move plays its steps and sounds, and the preview comes down after it.
TEST_F(GameScreen, ScriptedGameWithAFixedKey)
{
    rules().alea.init_by_array(KEY, 4);
    mt_classique mt;
    mt.init_by_array(KEY, 4);
    std::vector<int> board(126, -1);
    int preview[4];
    auto draw_preview = [&] {
        for (int& c : preview)
            c = static_cast<int>(reference_draw(mt, 7));
    };
    auto deal = [&] {
        for (int colour : preview) {
            int cell = static_cast<int>(reference_draw(mt, 125));
            while (board[cell] != -1)
                cell = static_cast<int>(reference_draw(mt, 125));
            board[cell] = colour;
        }
        draw_preview();
    };
    auto check_board = [&](const char* when) {
        for (int cell = 0; cell < 126; ++cell) {
            EXPECT_EQ(rules().mailles[cell].couleur, board[cell]) << when << " cell " << cell;
            EXPECT_EQ(drawn(cell), board[cell] != -1) << when << " cell " << cell;
        }
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(rules().couleurs_nouv_pions[k], preview[k]) << when;
            EXPECT_EQ(app.pixel(28 + 46 * k + 21, 380 + 21), sprite_centre(preview[k])) << when;
        }
    };

    // Frame 1: the first preview is dealt and the next one drawn.
    draw_preview();
    deal();
    app.frame();
    check_board("first deal");
    app.frames(4); // the new pieces grow to rest
    for (int cell = 0; cell < 126; ++cell)
        if (board[cell] != -1) {
            int x, y;
            centre(cell, x, y);
            EXPECT_EQ(rules().mailles[cell].image, 0);
            EXPECT_EQ(app.pixel(x, y), sprite_centre(board[cell])) << cell;
        }

    // Select the first piece and send it to the farthest reachable free cell.
    int from = 0;
    while (board[from] == -1)
        ++from;
    click_cell(from);
    ASSERT_EQ(rules().etat_selection, 1);
    ASSERT_EQ(rules().maille_selection, from);
    int to = -1, steps = 0;
    for (int cell = 0; cell < 126; ++cell)
        if (board[cell] == -1 && rules().longueur_chemin(cell) > steps &&
            rules().longueur_chemin(cell) <= 8) {
            to = cell;
            steps = rules().longueur_chemin(cell);
        }
    ASSERT_GT(steps, 1);
    app.hold_audio();
    click_cell(to); // this frame plays the first step
    app.frames(3 * steps - 1);
    EXPECT_EQ(app.channels_playing("data/mouvement.wav"), steps);
    EXPECT_EQ(app.channels_playing("data/ligne.wav"), 0);
    app.release_audio();
    EXPECT_TRUE(rules().saisie_active);
    EXPECT_EQ(rules().etat_selection, 0);
    board[to] = board[from];
    board[from] = -1;
    EXPECT_EQ(score, 0);

    // No run: the next frame deals the preview that was shown.
    deal();
    app.frame();
    check_board("after the move");
}

TEST_F(GameScreen, ARunVanishesScoresAndRedrawsTheScore)
{
    rules().debut_partie = false; // no deal: the board holds only what the test puts there
    const int run[5] = {0, 12, 24, 36, 48};
    for (int i = 0; i < 5; ++i) {
        pion& p = rules().mailles[i == 4 ? 50 : run[i]];
        p.couleur = 3;
        p.image = 0;
        p.increment = 0;
    }
    // 50 is two columns right of 48, one free cell (49... in between) away.
    app.frame();
    click_cell(50);
    ASSERT_GT(rules().longueur_chemin(48), 0);
    const int steps = rules().longueur_chemin(48);
    LogMark mark;
    app.hold_audio();
    click_cell(48);
    app.frames(3 * steps - 1);
    EXPECT_EQ(app.channels_playing("data/ligne.wav"), 1);
    app.release_audio();
    EXPECT_EQ(score, 25);
    EXPECT_FALSE(rules().nouv_pions_a_poser);
    app.frames(6);
    for (int cell : run)
        EXPECT_FALSE(drawn(cell)) << cell;
    // "25" is two digits wide where "0" was one.
    int rightmost = 0;
    for (int y = 110; y < 140; ++y)
        for (int x = 99; x < 230; ++x)
            if (app.pixel(x, y) == 0xFFFFFF)
                rightmost = std::max(rightmost, x);
    int w = 0, h = 0;
    TTF_SizeText(font, "25", &w, &h);
    EXPECT_GT(rightmost, 99 + w / 2);
}

TEST_F(GameScreen, AScoreWiderThanFiveDigitsShowsInFull)
{
    rules().debut_partie = false;
    for (int cell : {0, 12, 24, 36, 50}) {
        pion& p = rules().mailles[cell];
        p.couleur = 6;
        p.image = 0;
        p.increment = 0;
    }
    score = 9999990;
    app.frame();
    click_cell(50);
    click_cell(48);
    app.frames(3 * 8);
    ASSERT_EQ(score, 10000015);
    int w = 0, h = 0;
    TTF_SizeText(font, "10000015", &w, &h);
    bool last_digit = false;
    for (int y = 110; y < 110 + h; ++y)
        for (int x = 99 + w - 12; x < 99 + w; ++x)
            last_digit |= app.pixel(x, y) == 0xFFFFFF;
    EXPECT_TRUE(last_digit);
}

TEST_F(GameScreen, EscapeDuringPlayEndsTheProgram)
{
    app.frames(3);
    app.key(SDLK_ESCAPE);
    app.click();
    app.frame();
    EXPECT_EQ(stateID, STATE_EXIT);
}

TEST_F(GameScreen, FullBoardEndsTheGameAndLeadsToTheScoresOnlyAfter30Frames)
{
    rules().debut_partie = false;
    for (int cell = 0; cell < 126; ++cell) {
        pion& p = rules().mailles[cell];
        p.couleur = cell % 8;
        p.image = 0;
        p.increment = 0;
    }
    score = 40;
    app.frame(); // the animation finds the board full
    ASSERT_TRUE(rules().game_over);
    EXPECT_EQ(rules().compteur_game_over, 1);
    EXPECT_EQ(Mix_PlayingMusic(), 1);

    // Clicks and keys act on the board only during the next 30 frames, while the banner
    // blinks: hidden whenever (counter / 3) is a multiple of 5.
    SDL_Surface* banner = load_image("data/game_over.png");
    ASSERT_NE(banner, nullptr);
    const int bx = 20, by = 70; // a point of the banner's own plate
    const uint32_t plate = surface_pixel(banner, bx, by);
    ASSERT_NE(plate, 0x00FFFFu);
    for (int i = 1; i <= 30; ++i) {
        if (i % 2)
            app.click();
        else
            app.key(SDLK_RETURN);
        app.frame();
        ASSERT_EQ(stateID, STATE_JEU) << "frame " << i;
        const int counter = rules().compteur_game_over;
        EXPECT_EQ(counter, i + 1);
        const bool shown = app.pixel(305 + bx, 213 + by) == plate;
        EXPECT_EQ(shown, (counter / 3) % 5 != 0) << "counter " << counter;
    }
    SDL_FreeSurface(banner);
    app.key(SDLK_a);
    app.frame();
    EXPECT_EQ(stateID, STATE_HI_SCORES);
    EXPECT_EQ(score, 40); // handed to the high-score screen
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

} // namespace

namespace {

// Files that go missing after the start-up check: the screen says so once and plays on.
TEST(GameScreenFiles, MissingFilesAreLoggedAndTheGameGoesOn)
{
    const struct
    {
        const char* remove;
        std::string log;
        bool over_at_once;
    } cases[] = {
        {"data/pions.png",
         "construction classe jeu...\nJEU: ERREUR LORS DU CHARGEMENT DES FICHIERS\n", false},
        {"data/game_over.wav",
         "construction classe jeu...\nJEU: ERREUR LORS DU CHARGEMENT DES FICHIERS\n", false},
        {"data/grille_mailles.txt",
         "construction classe jeu...\nERREUR OUVERTURE FICHIER grille_mailles.txt\n", true},
    };
    app_harness app;
    ASSERT_EQ(app.start(), 0);
    for (const auto& c : cases) {
        // The screen of the previous case is left first: the files it holds open (its music)
        // could not be removed on Windows.
        app.go_to(STATE_MENU);
        const std::string saved = read_file(c.remove);
        ASSERT_EQ(std::remove(c.remove), 0) << c.remove;
        LogMark mark;
        app.go_to(STATE_JEU); // builds the screen and runs its first logic
        EXPECT_EQ(mark.since(), c.log) << c.remove;
        plateau& rules = static_cast<jeu*>(currentState)->regles();
        EXPECT_EQ(rules.game_over, c.over_at_once) << c.remove;
        if (c.over_at_once) {
            // No neighbours known: the cells keep their built-in full board of colour 5.
            for (int cell = 0; cell < 126; ++cell)
                EXPECT_NE(rules.mailles[cell].couleur, -1);
        }
        app.frames(40);
        write_file(c.remove, saved);
    }
    app.stop();
}

} // namespace
