// The intro, help and menu screens, driven through the real frame loop.
#include "app/states.h"
#include "media/input.h"
#include "media/media.h"
#include "screens/menu.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

namespace {

class FrontScreens : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(app.start(), 0);
        app.frame();
    }
    void TearDown() override { app.stop(); }

    // From the intro to the menu with a key, then a key again.
    void to_menu()
    {
        app.key(SDLK_SPACE);
        app.frame();
        app.key(SDLK_SPACE);
        app.frame();
        ASSERT_EQ(stateID, STATE_MENU);
    }
    int selection() const { return static_cast<menu*>(currentState)->get_selection(); }

    app_harness app;
};

TEST_F(FrontScreens, IntroLeadsToHelpThenMenu)
{
    const struct
    {
        const char* name;
        void (*act)(app_harness&);
    } ways[] = {
        {"letter key", [](app_harness& a) { a.key(SDLK_a); }},
        {"shift alone", [](app_harness& a) { a.key(SDLK_LSHIFT); }},
        {"left click", [](app_harness& a) { a.click(SDL_BUTTON_LEFT); }},
        {"wheel step", [](app_harness& a) { a.click(SDL_BUTTON_WHEELUP); }},
    };
    for (const auto& way : ways) {
        set_next_state(STATE_INTRO);
        app.frame();
        ASSERT_EQ(stateID, STATE_INTRO);
        LogMark mark;
        way.act(app);
        app.frame();
        EXPECT_EQ(stateID, STATE_AIDE) << way.name;
        way.act(app);
        app.frame();
        EXPECT_EQ(stateID, STATE_MENU) << way.name;
        EXPECT_EQ(mark.since(), "construction classe aide...\nconstruction classe menu...\n")
            << way.name;
    }
}

TEST_F(FrontScreens, ReleasesAndMotionDoNothing)
{
    SDL_Event up = {};
    up.type = SDL_KEYUP;
    up.key.keysym.sym = SDLK_a;
    SDL_PushEvent(&up);
    SDL_Event release = {};
    release.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&release);
    app.move(10, 10);
    app.frames(3);
    EXPECT_EQ(stateID, STATE_INTRO);
    EXPECT_EQ(mouse_x, 10);
    EXPECT_EQ(mouse_y, 10);
}

TEST_F(FrontScreens, EscapeOrCloseEndsTheProgramFromEveryFrontScreen)
{
    for (int screen_id : {STATE_INTRO, STATE_AIDE, STATE_MENU}) {
        for (int way = 0; way < 3; ++way) {
            app.go_to(screen_id);
            if (way == 0) {
                app.key(SDLK_ESCAPE);
            } else if (way == 1) {
                app.quit();
            } else {
                app.click();
                app.key(SDLK_ESCAPE); // a click then Escape in one frame
            }
            app.frame();
            EXPECT_EQ(stateID, STATE_EXIT) << screen_id << " way " << way;
            stateID = screen_id;
        }
    }
}

TEST_F(FrontScreens, EscapeBeforeAClickStillExits)
{
    app.key(SDLK_ESCAPE);
    app.click();
    app.frame();
    EXPECT_EQ(stateID, STATE_EXIT);
}

TEST_F(FrontScreens, MenuArrowsWrapAndClickOncePerPress)
{
    to_menu();
    EXPECT_EQ(selection(), 1);
    const struct
    {
        int key, expected;
    } steps[] = {{SDLK_UP, 4},   {SDLK_UP, 3}, {SDLK_DOWN, 4},    {SDLK_DOWN, 1},
                 {SDLK_DOWN, 2}, {SDLK_a, 2},  {SDLK_KP_ENTER, 2}};
    for (const auto& step : steps) {
        app.hold_audio();
        app.key(step.key);
        app.frame();
        EXPECT_EQ(selection(), step.expected);
        const bool arrow = step.key == SDLK_UP || step.key == SDLK_DOWN;
        EXPECT_EQ(app.channels_playing("data/click.wav"), arrow ? 1 : 0) << step.key;
        app.release_audio();
        EXPECT_EQ(stateID, STATE_MENU);
    }
}

TEST_F(FrontScreens, MenuHoverHighlightsWithOneClickPerChange)
{
    to_menu();
    const struct
    {
        int x, y, expected, clicks;
    } moves[] = {
        {400, 230, 2, 1}, // onto item 2
        {400, 360, 3, 1}, // straight onto item 3
        {300, 340, 3, 0}, // inside item 3
        {600, 360, 3, 0}, // outside every item
        {524, 132, 1, 1}, // item 1's bottom-right pixel
        {525, 468, 1, 0}, // right of item 4
        {524, 133, 1, 0}, // below item 1
        {276, 531, 4, 1}, // item 4's bottom-left pixel
    };
    for (const auto& m : moves) {
        app.hold_audio();
        app.move(m.x, m.y);
        app.frame();
        EXPECT_EQ(selection(), m.expected) << m.x << "," << m.y;
        EXPECT_EQ(app.channels_playing("data/click.wav"), m.clicks) << m.x << "," << m.y;
        app.release_audio();
    }
}

TEST_F(FrontScreens, MenuActivatesTheHighlightedItem)
{
    const struct
    {
        int downs;
        bool by_click;
        int expected;
    } cases[] = {
        {0, false, STATE_JEU},      {0, true, STATE_JEU},   {1, false, STATE_AIDE},
        {2, true, STATE_HI_SCORES}, {3, false, STATE_EXIT}, {3, true, STATE_EXIT},
    };
    for (const auto& c : cases) {
        app.go_to(STATE_MENU);
        app.move(700, 580); // away from every item: the click is not located
        app.frame();
        for (int i = 0; i < c.downs; ++i)
            app.key(SDLK_DOWN);
        if (c.by_click)
            app.click(SDL_BUTTON_RIGHT);
        else
            app.key(SDLK_RETURN);
        app.frame();
        EXPECT_EQ(stateID, c.expected) << c.downs << (c.by_click ? " click" : " return");
        stateID = STATE_MENU;
    }
}

TEST_F(FrontScreens, HelpFromTheMenuReturnsToAFreshMenu)
{
    to_menu();
    app.key(SDLK_DOWN);
    app.key(SDLK_RETURN);
    app.frame();
    ASSERT_EQ(stateID, STATE_AIDE);
    app.key(SDLK_b);
    app.frame();
    ASSERT_EQ(stateID, STATE_MENU);
    EXPECT_EQ(selection(), 1);
}

TEST_F(FrontScreens, MenuDrawsThePictureOfTheHighlightedItem)
{
    to_menu();
    app.move(790, 590);
    const char* pictures[4] = {"data/menu_jouer.png", "data/menu_aide.png", "data/menu_scores.png",
                               "data/menu_quitter.png"};
    for (int highlighted = 1; highlighted <= 4; ++highlighted) {
        if (highlighted > 1)
            app.key(SDLK_DOWN);
        app.frame();
        ASSERT_EQ(selection(), highlighted);
        SDL_Surface* expected = load_image(pictures[highlighted - 1]);
        ASSERT_NE(expected, nullptr);
        for (const SDL_Rect& item : menu::items) {
            const int x = item.x + item.w / 2, y = item.y + item.h / 2;
            EXPECT_EQ(app.pixel(x, y), surface_pixel(expected, x, y))
                << pictures[highlighted - 1] << " at " << x << "," << y;
        }
        SDL_FreeSurface(expected);
    }
}

} // namespace
