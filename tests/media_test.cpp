// Pictures with their colour key, the drawn cursor, the shared files and sound effects.
#include "app/log.h"
#include "media/input.h"
#include "media/media.h"
#include "support/test_env.h"

#include <SDL_mixer.h>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

class Media : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(app.start(), 0); }
    void TearDown() override { app.stop(); }

    void fill_screen(uint32_t rgb)
    {
        SDL_FillRect(screen, nullptr,
                     SDL_MapRGB(screen->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
    }

    app_harness app;
};

// Four columns: pure cyan, two near-cyans and plain red.
uint32_t key_columns(int x, int)
{
    static const uint32_t colours[4] = {0x00FFFF, 0x00FEFF, 0x01FFFF, 0xFF0000};
    return colours[x / 4];
}

TEST_F(Media, PureCyanIsTransparentAndNearCyanIsDrawn)
{
    write_bmp("key.bmp", 16, 4, key_columns);
    SDL_Surface* picture = load_image("key.bmp");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->format->BitsPerPixel, screen->format->BitsPerPixel);
    fill_screen(0x123456);
    apply_surface(100, 50, picture, screen, nullptr);
    // What the player sees, on every row of the picture: cyan lets the screen show through,
    // the near-cyans and red are drawn, and nothing is drawn right of the picture.
    static const uint32_t expected[5] = {0x123456, 0x00FEFF, 0x01FFFF, 0xFF0000, 0x123456};
    for (int y = 50; y < 54; ++y)
        for (int column = 0; column < 5; ++column)
            for (int x = 100 + column * 4; x < 104 + column * 4; ++x)
                EXPECT_EQ(app.pixel(x, y), expected[column]) << "at " << x << "," << y;
    EXPECT_EQ(app.pixel(101, 54), 0x123456u); // below the picture
    SDL_FreeSurface(picture);
}

// The game draws its pieces from frames cut out of the sprite sheet: each of the 40 frames of
// the shipped sheet, drawn whole over the board, leaves exactly the pixels of the sheet drawn
// through that frame's clip; a clip over the sheet's edge keeps only what lies inside.
TEST_F(Media, CutFramesDrawTheSamePixelsAsTheSheetThroughItsClips)
{
    SDL_Surface* sheet = load_image("data/pions.png");
    SDL_Surface* board = load_image("data/grille.png");
    ASSERT_NE(sheet, nullptr);
    ASSERT_NE(board, nullptr);
    SDL_Surface* expected = SDL_DisplayFormat(screen);
    ASSERT_NE(expected, nullptr);
    for (int n = 0; n < 40; ++n) {
        SDL_Rect clip = {static_cast<Sint16>(42 * (n % 5)), static_cast<Sint16>(42 * (n / 5)), 42,
                         42};
        SDL_Surface* frame = cut_picture(sheet, clip);
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(frame->flags & SDL_SRCCOLORKEY);
        const int x = 37 + 91 * (n % 8), y = 29 + 97 * (n / 8);
        apply_surface(0, 0, board, expected, nullptr);
        apply_surface(x, y, sheet, expected, &clip);
        apply_surface(0, 0, board, screen, nullptr);
        apply_surface(x, y, frame, screen, nullptr);
        for (int py = y - 1; py <= y + 42; ++py)
            for (int px = x - 1; px <= x + 42; ++px)
                ASSERT_EQ(app.pixel(px, py), surface_pixel(expected, px, py))
                    << "frame " << n << " at " << px - x << ", " << py - y;
        SDL_FreeSurface(frame);
    }

    SDL_Rect over_edge = {200, 320, 42, 42};
    SDL_Surface* corner = cut_picture(sheet, over_edge);
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(corner->w, 10);
    EXPECT_EQ(corner->h, 16);
    SDL_FreeSurface(corner);
    SDL_Rect outside = {210, 0, 42, 42};
    EXPECT_EQ(cut_picture(sheet, outside), nullptr);
    EXPECT_EQ(cut_picture(nullptr, over_edge), nullptr);

    SDL_FreeSurface(expected);
    SDL_FreeSurface(board);
    SDL_FreeSurface(sheet);
}

TEST_F(Media, ClipRectangleCutsOnePartOfTheSource)
{
    write_bmp("key.bmp", 16, 4, key_columns);
    SDL_Surface* picture = load_image("key.bmp");
    ASSERT_NE(picture, nullptr);
    fill_screen(0x000000);
    SDL_Rect red = {12, 0, 4, 4};
    apply_surface(10, 10, picture, screen, &red);
    EXPECT_EQ(app.pixel(10, 10), 0xFF0000u);
    EXPECT_EQ(app.pixel(13, 13), 0xFF0000u);
    EXPECT_EQ(app.pixel(14, 10), 0x000000u);
    SDL_FreeSurface(picture);
}

TEST_F(Media, MissingPictureIsNullAndLogsNothing)
{
    LogMark mark;
    EXPECT_EQ(load_image("data/no_such_picture.png"), nullptr);
    EXPECT_EQ(load_sound("data/no_such_sound.wav"), nullptr);
    EXPECT_EQ(mark.since(), "");
    apply_surface(0, 0, nullptr, screen, nullptr); // draws nothing, does not crash
    play_sound(nullptr);
}

TEST_F(Media, CursorTipSitsOnThePointerAndClipsAtTheEdges)
{
    const struct
    {
        int x, y;
    } spots[] = {{400, 300}, {0, 0}, {799, 599}, {795, 300}};
    const uint32_t tip = surface_pixel(cursor, 0, 0);
    for (const auto& spot : spots) {
        app.move(spot.x, spot.y);
        fill_screen(0x000000);
        MouseRender();
        EXPECT_EQ(mouse_x, spot.x);
        EXPECT_EQ(mouse_y, spot.y);
        EXPECT_EQ(app.pixel(spot.x, spot.y), tip) << spot.x << "," << spot.y;
    }
}

TEST_F(Media, PointerStartsAtTheCentre)
{
    EXPECT_EQ(mouse_x, 400);
    EXPECT_EQ(mouse_y, 300);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST_F(Media, ASoundPlayedTwiceUsesTwoChannels)
{
    Mix_Chunk* click = load_sound("data/click.wav");
    ASSERT_NE(click, nullptr);
    app.hold_audio();
    play_sound(click);
    play_sound(click);
    EXPECT_EQ(app.channels_playing("data/click.wav"), 2);
    app.release_audio();
    Mix_FreeChunk(click);
}

TEST_F(Media, TextIsWhiteBlended)
{
    SDL_Surface* text = render_text("123");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->format->BitsPerPixel, 32);
    EXPECT_NE(text->format->Amask, 0u);
    EXPECT_GT(text->w, 20);
    SDL_FreeSurface(text);
}

TEST_F(Media, SharedFilesReportWhichOneFailed)
{
    // Reload the shared files after removing one of them, as the start-up would.
    struct Case
    {
        const char* remove;
        const char* log;
    };
    const Case cases[] = {
        {FONT_PATH, "Chargement des fontes et images globales...\nErreur de chargement fonte\n"},
        {CURSOR_PATH,
         "Chargement des fontes et images globales...\nErreur de chargement curseur souris\n"},
    };
    for (const Case& c : cases) {
        // Closed before the removal: an open file cannot be removed on Windows.
        TTF_CloseFont(font);
        SDL_FreeSurface(cursor);
        font = nullptr;
        cursor = nullptr;
        const std::string saved = read_file(c.remove);
        ASSERT_EQ(std::remove(c.remove), 0) << c.remove;
        LogMark mark;
        EXPECT_FALSE(load_files());
        EXPECT_EQ(mark.since(), c.log);
        if (c.remove == FONT_PATH) {
            EXPECT_EQ(cursor, nullptr); // the cursor is not even tried
        }
        write_file(c.remove, saved);
        TTF_CloseFont(font); // what the failed attempt did open
        font = nullptr;
        EXPECT_TRUE(load_files());
    }
}

} // namespace
